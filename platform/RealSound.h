// The real alert sound: Qt Multimedia's player. Built into the sound module
// beside the program (see Modules.h), so the media libraries load only when
// the first alert plays.
#pragma once

#include "platform/Platform.h"

#include <memory>

class QMediaPlayer;
class QAudioOutput;

class RealSound : public Sound {
public:
    RealSound();
    ~RealSound() override;
    void play(const QString& path) override;

private:
    std::unique_ptr<QAudioOutput> m_output;
    std::unique_ptr<QMediaPlayer> m_player;
};
