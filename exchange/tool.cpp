#include "exchange/tool.h"

namespace zhv {

Tool::Tool(Platform platform) : p(platform) {}

}  // namespace zhv
