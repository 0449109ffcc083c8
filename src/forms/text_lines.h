// How a caption breaks into the lines a label shows.
#pragma once

#include <string_view>
#include <vector>

namespace forms {

// A carriage return starts a new line, as does a CR LF pair or a lone line
// feed; a break at the very end adds no line of its own. An empty caption is
// one empty line.
std::vector<std::u16string_view> captionLines(std::u16string_view caption);

} // namespace forms
