// What the help window's tests on both platforms expect: its nine lines to the
// code point, the caption built from them, and a counter of caption writes.
#pragma once

#include "forms/controls.h"

#include <string>

namespace helptest {

using namespace forms;

struct CaptionWrites : WriteObserver
{
    int count = 0;
    void written(const Control& c, Property p) override
    {
        if (c.name() == "Label1" && p == Property::Caption)
            ++count;
    }
};

inline const std::u16string kExpectedLines[9] = {
    u"Thank you for download this free ware made by Yavo...2.00",
    u"\u0020\u0020\u0020Down \u3068 Up "
    u"\u306E\u30DC\u30BF\u30F3\u3092\u62BC\u3059\u3060\u3051\u3067\u3059",
    u"\u0020\u0020\u0020\u30DC\u30BF\u30F3\u306E\u4E0A\u306E\u6570\u5B57\u306F\u30B7\u30D5\u30C8"
    u"\u6570\u3067\u3059",
    u"\u0020\u0020\u0020Original "
    u"\u5217\u4E0A\u3092\u30AF\u30EA\u30C3\u30AF\u3059\u308B\u3068\u3001\u30DE\u30FC\u30AF\u3067"
    u"\u304D\u307E\u3059",
    u"\u0020\u0020\u0020Converted_1 _2 _3 "
    u"\u5217\u304C\u30B7\u30D5\u30C8\u6570\u306B\u5FDC\u3058\u3066\u5909\u5316\u3057\u307E\u3059",
    u"Converted_1 > _2 > _3 \u3068\u5F93\u5C5E\u95A2\u4FC2\u306B\u306A\u308A\u307E\u3059",
    u"\u30A2\u30F3\u30B5\u30F3\u30D6\u30EB\u3067\u305D\u308C\u305E\u308C\u7570\u306A\u308B\u30AD"
    u"\u30FC\u3092\u4F7F\u7528\u3059\u308B\u6642\u306A\u3069\u306B\u5F79\u7ACB\u3064\u3067\u3057"
    u"\u3087\u3046",
    u"",
    u"My HomePageURL\u3000https://marelo.example/",
};

inline std::u16string expectedCaption()
{
    std::u16string text;
    for (const auto& line : kExpectedLines)
        text += line + u"\r";
    return text;
}

} // namespace helptest
