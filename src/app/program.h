// What the program tells the forms layer about itself.
#pragma once

#include "forms/application.h"

namespace marelo {

// Title, version, organisation, application id and icon.
const forms::Identity& programIdentity();

} // namespace marelo
