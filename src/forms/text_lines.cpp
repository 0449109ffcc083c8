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

std::u16string readerText(std::u16string_view text)
{
    const auto lines = captionLines(text);
    std::u16string joined(lines.front());
    for (std::size_t i = 1; i < lines.size(); ++i) {
        joined += u'\n';
        joined += lines[i];
    }
    if (!text.empty() && (text.back() == u'\r' || text.back() == u'\n'))
        joined += u'\n';
    return joined;
}

} // namespace forms
