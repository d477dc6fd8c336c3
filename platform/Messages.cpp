#include "platform/Messages.h"

#include <cstring>

MessageFate messageFate(const char* category, const QString& text, bool noSoundSaid) {
    const bool player = category && std::strcmp(category, "qt.multimedia.player") == 0;
    // The sound server's client library, and the player's sink failing to
    // reach the server (GStreamer's message for it names no server).
    const bool noise =
        text.contains(QLatin1String("pa_context_connect() failed")) ||
        (player &&
         (text.contains(QLatin1String("Unable to set the pipeline to the paused state")) ||
          text.contains(QLatin1String("Failed to connect: Connection refused"))));
    if (!noise) return MessageFate::Print;
    return noSoundSaid ? MessageFate::Drop : MessageFate::SayNoSound;
}
