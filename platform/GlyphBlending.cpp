#include "platform/GlyphBlending.h"

#include <QtGui/private/qfontengine_ft_p.h>

#include FT_MODULE_H

namespace GlyphBlending {

void UsePlainBlending()
{
    FT_Bool noDarkening = 1;
    FT_Property_Set(qt_getFreetype(), "cff", "no-stem-darkening", &noDarkening);
}

} // namespace GlyphBlending
