#include "UctScore.h"

namespace uct {
Policy policy;
}
