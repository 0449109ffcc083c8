// How a caption breaks into the lines a label shows.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace forms {

// A carriage return starts a new line, as does a CR LF pair or a lone line
// feed; a break at the very end adds no line of its own. An empty caption is
// one empty line.
std::vector<std::u16string_view> captionLines(std::u16string_view caption);

// A text for a screen reader that takes it whole: its lines as captionLines
// breaks them, each break one line feed, a closing break included (a reader
// counts the lines of a text by its breaks).
std::u16string readerText(std::u16string_view text);

} // namespace forms
