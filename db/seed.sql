-- The shipped store: the parcel book (empty), the courier directory and the one options row.
CREATE TABLE kd100 (
  id INTEGER PRIMARY KEY AUTOINCREMENT,
  company TEXT,
  number TEXT,
  goods TEXT,
  num INTEGER
);
CREATE INDEX kd100_number ON kd100(number);
CREATE INDEX kd100_goods ON kd100(goods);
CREATE TABLE list (
  id INTEGER PRIMARY KEY AUTOINCREMENT,
  name TEXT,
  code TEXT,
  shibie TEXT,
  "call" TEXT
);
CREATE TABLE setting (
  "邮件通知" TEXT,
  "语音提示" TEXT,
  "支持拖动" TEXT,
  "关闭窗口" TEXT,
  "气泡提示" TEXT,
  "默认查询" TEXT,
  "自动识别" TEXT,
  "通知邮箱" TEXT
);
INSERT INTO setting VALUES ('否', '是', '是', '否', '是', '否', '是', '');
-- The whole-book watch, off: what it remembers per parcel, and its options.
CREATE TABLE watch (parcel INTEGER PRIMARY KEY, entries TEXT NOT NULL DEFAULT '', answered TEXT NOT NULL DEFAULT '', state TEXT NOT NULL DEFAULT '', notified INTEGER NOT NULL DEFAULT 0);
CREATE TABLE watchoption (name TEXT PRIMARY KEY, value TEXT NOT NULL);
INSERT INTO watchoption VALUES ('后台刷新', '否'), ('刷新间隔', '60');
-- The tracking service's last answer per number (asked at most once per half hour),
-- and the receiver's phone a parcel's courier asks for.
CREATE TABLE answer (com TEXT NOT NULL, number TEXT NOT NULL, body TEXT NOT NULL, answered TEXT NOT NULL, PRIMARY KEY (com, number));
CREATE TABLE parcelphone (parcel INTEGER PRIMARY KEY, phone TEXT NOT NULL);
INSERT INTO list (name, code, shibie, "call") VALUES
  ('顺丰快递', 'shunfeng', 'shunfeng', '95338'),
  ('申通快递', 'shentong', 'shentong', '95543'),
  ('中通快递', 'zhongtong', 'zhongtong', '95311'),
  ('圆通速递', 'yuantong', 'yuantong', '95554'),
  ('韵达快递', 'yunda', 'yunda', '95546'),
  ('全峰快递', 'quanfengkuaidi', 'quanfengkuaidi', '400-100-0001'),
  ('天天快递', 'tiantian', 'tiantian', '400-188-8888'),
  ('宅急送', 'zhaijisong', 'zhaijisong', '400-6789-000'),
  ('汇通快运', 'huitongkuaidi', 'huitongkuaidi', '95320'),
  ('京东快递', 'jd', 'jd', '950616'),
  ('EMS', 'ems', 'ems', '11183'),
  ('邮政包裹', 'youzhengguonei', 'youzhengguonei', '11185'),
  ('德邦物流', 'debangwuliu', 'debangwuliu', '95353'),
  ('极兔速递', 'jtexpress', 'jtexpress', '956128'),
  ('优速快递', 'youshuwuliu', 'youshuwuliu', '400-1111-119'),
  ('国通快递', 'guotongkuaidi', 'guotongkuaidi', '400-111-1123'),
  ('快捷速递', 'kuaijiesudi', 'kuaijiesudi', '400-833-3666'),
  ('龙邦速递', 'longbanwuliu', 'longbanwuliu', '021-59218889'),
  ('速尔快递', 'suer', 'suer', '400-158-9888'),
  ('天地华宇', 'tiandihuayu', 'tiandihuayu', '400-808-6666'),
  ('佳吉快运', 'jiajiwuliu', 'jiajiwuliu', '400-820-5566'),
  ('新邦物流', 'xinbangwuliu', 'xinbangwuliu', '4008-000-222'),
  ('中铁快运', 'ztky', 'ztky', '95572'),
  ('如风达', 'rufengda', 'rufengda', '400-010-6660'),
  ('安能物流', 'annengwuliu', 'annengwuliu', '400-104-0088'),
  ('跨越速运', 'kuayue', 'kuayue', '4008-098-098'),
  ('苏宁物流', 'suning', 'suning', '95315'),
  ('百世快运', 'baishiwuliu', 'baishiwuliu', '400-8856-561'),
  ('韵达快运', 'yundakuaiyun', 'yundakuaiyun', '95546'),
  ('中通快运', 'zhongtongkuaiyun', 'zhongtongkuaiyun', '4000-270-270'),
  ('丹鸟', 'danniao', 'danniao', '4008-265-265'),
  ('众邮快递', 'zhongyouex', 'zhongyouex', '400-6789-888'),
  ('中邮物流', 'zhongyouwuliu', 'zhongyouwuliu', '11183'),
  ('壹米滴答', 'yimidida', 'yimidida', '400-1521-521'),
  ('联昊通', 'lianhaowuliu', 'lianhaowuliu', '0769-88620000'),
  ('全一快递', 'quanyikuaidi', 'quanyikuaidi', '400-663-1111'),
  ('能达速递', 'ganzhongnengda', 'ganzhongnengda', '400-6886-765'),
  ('EMS国际', 'emsguoji', 'emsguoji', '11183'),
  ('DHL', 'dhl', 'dhl', '800-810-8000'),
  ('FedEx', 'fedex', 'fedex', '400-886-1888'),
  ('UPS', 'ups', 'ups', '400-820-8388'),
  ('TNT', 'tnt', 'tnt', '800-820-9868'),
  ('顺丰快运', 'shunfengkuaiyun', 'shunfengkuaiyun', '95338');
