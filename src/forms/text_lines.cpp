#include "forms/text_lines.h"

namespace forms {

std::vector<std::u16string_view> captionLines(std::u16string_view caption)
{
    std::vector<std::u16string_view> lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i < caption.size(); ++i) {
        const char16_t c = caption[i];
        if (c != u'\r' && c != u'\n')
            continue;
        lines.push_back(caption.substr(start, i - start));
        if (c == u'\r' && i + 1 < caption.size() && caption[i + 1] == u'\n')
            ++i;
        start = i + 1;
    }
    if (start < caption.size() || lines.empty())
        lines.push_back(caption.substr(start));
    return lines;
}

} // namespace forms
