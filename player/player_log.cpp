// The player library's logging category.
#include "player/player_log.h"

namespace korvane {
Q_LOGGING_CATEGORY(lcPlayer, "korvane.player")
}
