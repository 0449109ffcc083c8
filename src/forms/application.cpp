// The platform-free half of the application: its identity and whether it has ended.
#include "forms/application.h"

namespace forms {

namespace detail {
Identity currentIdentity;
bool programEnded = false;
} // namespace detail

const Identity& identity()
{
    return detail::currentIdentity;
}

bool ended()
{
    return detail::programEnded;
}

} // namespace forms
