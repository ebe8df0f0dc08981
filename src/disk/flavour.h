#pragma once
// Which program this layer runs in, fixed by DApiInit.

#include "disk/d_api.h"

namespace d_api {

DApiFlavour CurrentFlavour();

}  // namespace d_api
