#include "platform/RealSound.h"

#include <QAudioOutput>
#include <QMediaPlayer>
#include <QUrl>

RealSound::RealSound() = default;
RealSound::~RealSound() = default;

void RealSound::play(const QString& path) {
    // The player and its audio output are made on the first alert: most
    // starts never play a sound, and making them costs start-up time and memory.
    if (!m_player) {
        m_output = std::make_unique<QAudioOutput>();
        m_player = std::make_unique<QMediaPlayer>();
        m_player->setAudioOutput(m_output.get());
    }
    m_player->stop();
    m_player->setSource(QUrl::fromLocalFile(path));
    m_player->play();
}

// The sound module's entry point.
extern "C" Q_DECL_EXPORT Sound* jzb_make_sound() {
    return new RealSound;
}
