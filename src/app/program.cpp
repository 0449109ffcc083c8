#include "app/program.h"

#include "app/identity.h"

#include "icon/marelo.xpm"

namespace marelo {

const forms::Identity& programIdentity()
{
    static const forms::Identity identity{
        .title = kTitle,
        .version = kVersionText,
        .organisation = kOrganisation,
        .author = kAuthor,
        .homePage = kHomePage,
        .desktopId = kAppId,
        .iconXpm = marelo_icon_xpm,
        .command = kCommand,
    };
    return identity;
}

} // namespace marelo
