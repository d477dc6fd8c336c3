-- Demo parcels for `make demo`; the program simulates each number in demo mode.
INSERT INTO kd100 (company, number, goods, num) VALUES
  ('顺丰快递', '773012345610', '爸爸衣服', 0),
  ('中通快递', '433987651231', '妈妈的茶叶', 2),
  ('圆通速递', '981234567838', '键盘', 0),
  ('韵达快递', '123456789025', '儿童绘本', 5),
  ('申通快递', '751234560000', '旧手机壳', 0);
-- The demo watches its whole book in the background.
UPDATE watchoption SET value = '是' WHERE name = '后台刷新';
UPDATE watchoption SET value = '30' WHERE name = '刷新间隔';
