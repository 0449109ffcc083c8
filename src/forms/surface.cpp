#include "forms/surface.h"

#include "forms/application.h"
#include "forms/colours.h"
#include "forms/faces.h"
#include "forms/form.h"
#include "forms/text_lines.h"

#include <algorithm>

namespace forms {

namespace {

// A system colour as the desktop's scheme gives it now.
Color schemeColor(Color system)
{
    return desktop().systemColor(static_cast<int>(system & 0xFFu)) & 0x00FFFFFFu;
}

} // namespace

void Painter::frame(const PixelRect& box, int thickness, Color color)
{
    const int t = thickness;
    fill({box.left, box.top, box.right, box.top + t}, color);
    fill({box.left, box.bottom - t, box.right, box.bottom}, color);
    fill({box.left, box.top + t, box.left + t, box.bottom - t}, color);
    fill({box.right - t, box.top + t, box.right, box.bottom - t}, color);
}

FontFace buttonFont(const CommandButton& button, const Scale& scale)
{
    const FontFace face = resolveFont(button.style().font, scale);
    const int room =
        scale.box(button.rect()).width() - 2 * (desktop().buttonPadding(scale.dpi) + scale.px(2));
    return fitted(desktop(), face, button.Caption(), room, scale.px(kLegibleFloorPixels));
}

FormSurface::FormSurface(Form& form) : form_(form)
{
    entries_.reserve(form.controls().size());
    for (const auto& control : form.controls()) {
        Entry entry{};
        entry.control = control.get();
        entries_.push_back(std::move(entry));
        if (control->kind() == ControlKind::Label)
            control->attach(this);
        if (control->kind() == ControlKind::CommandButton)
            focusOrder_.push_back(static_cast<CommandButton*>(control.get()));
    }
    std::stable_sort(focusOrder_.begin(), focusOrder_.end(),
                     [](const auto* a, const auto* b) { return a->tabIndex() < b->tabIndex(); });
}

FormSurface::~FormSurface()
{
    for (Entry& entry : entries_)
        if (entry.control->peer() == this)
            entry.control->attach(nullptr);
}

void FormSurface::setPeer(FormPeer* peer)
{
    peer_ = peer;
    for (Entry& entry : entries_)
        entry.toldName = entry.control->accessibleName();
}

void FormSurface::setDpi(int dpi)
{
    scale_.dpi = dpi > 0 ? dpi : 96;
    for (Entry& entry : entries_)
        measure(entry);
    measured_ = true;
}

bool FormSurface::refit(int dpi)
{
    const Scale before = scale_;
    const PixelSize client = clientSize();
    std::vector<Entry> was = entries_;
    setDpi(dpi);
    bool same = scale_.dpi == before.dpi && clientSize() == client;
    for (std::size_t i = 0; same && i < entries_.size(); ++i)
        same = entries_[i].box == was[i].box && entries_[i].font == was[i].font &&
               entries_[i].pitch == was[i].pitch && entries_[i].ascent == was[i].ascent;
    if (same)
        return false;
    if (peer_ != nullptr)
        peer_->refit();
    return true;
}

void FormSurface::measure(Entry& entry)
{
    const Control& control = *entry.control;
    switch (control.kind()) {
    case ControlKind::Line:
        entry.box = scale_.line(static_cast<const Line&>(control).ends());
        return;
    case ControlKind::CommandButton:
        entry.font = buttonFont(static_cast<const CommandButton&>(control), scale_);
        entry.box = scale_.box(control.rect());
        return;
    case ControlKind::Label:
        break;
    }
    entry.layoutFont = resolveFont(control.style().font, scale_);
    fitFont(entry);
    entry.box = fit(entry);
}

// A label that keeps its box shows every line whole: where a line is wider
// than the box, the face is made smaller, down to a legible floor.
void FormSurface::fitFont(Entry& entry)
{
    const auto& label = static_cast<const Label&>(*entry.control);
    entry.font = entry.layoutFont;
    if (!label.autoSize()) {
        int room = scale_.box(label.rect()).width();
        if (label.border() == BorderStyle::FixedSingle)
            room -= 2 * scale_.thickness();
        for (std::u16string_view line : captionLines(label.Caption()))
            entry.font = fitted(desktop(), entry.font, line, room, scale_.px(kLegibleFloorPixels));
    }
    const FontMetrics metrics = desktop().metrics(entry.font);
    entry.ascent = metrics.ascent;
    entry.lineHeight = metrics.height;
    // Lines of a layout's face stand one em apart, as in the face the layout
    // was made with; a stand-in with a taller line would otherwise push the
    // last lines out of their box.
    entry.pitch = label.style().font.isDefault() ? metrics.spacing
                                                 : std::min(metrics.spacing, entry.font.pixels);
    entry.pitch = std::max(entry.pitch, 1);
}

// A label that fits itself to its text keeps the edge its alignment names
// (the centre, for a centred one) where the layout put it, and grows down
// from its top.
PixelRect FormSurface::fit(const Entry& entry) const
{
    const auto& label = static_cast<const Label&>(*entry.control);
    const PixelRect layout = scale_.box(label.rect());
    if (!label.autoSize())
        return layout;
    const auto lines = captionLines(label.Caption());
    int width = 0;
    for (std::u16string_view line : lines)
        width = std::max(width, desktop().width(entry.font, line));
    int height = entry.pitch * static_cast<int>(lines.size() - 1) + entry.lineHeight;
    if (label.border() == BorderStyle::FixedSingle) {
        width += 2 * scale_.thickness();
        height += 2 * scale_.thickness();
    }
    int left = layout.left;
    if (label.Alignment() == AlignRight)
        left = layout.right - width;
    else if (label.Alignment() == AlignCenter)
        left = layout.left + (layout.width() - width) / 2;
    return {left, layout.top, left + width, layout.top + height};
}

PixelSize FormSurface::clientSize() const
{
    return scale_.client(form_.layout().clientWidth, form_.layout().clientHeight);
}

FormSurface::Entry* FormSurface::entryOf(const Control& control)
{
    for (Entry& entry : entries_)
        if (entry.control == &control)
            return &entry;
    return nullptr;
}

const FormSurface::Entry* FormSurface::entryOf(const Control& control) const
{
    return const_cast<FormSurface*>(this)->entryOf(control);
}

PixelRect FormSurface::box(const Control& control) const
{
    const Entry* entry = entryOf(control);
    return entry != nullptr ? entry->box : PixelRect{};
}

FontFace FormSurface::font(const Control& control) const
{
    const Entry* entry = entryOf(control);
    return entry != nullptr ? entry->font : FontFace{};
}

int FormSurface::linePitch(const Label& label) const
{
    const Entry* entry = entryOf(label);
    return entry != nullptr ? entry->pitch : 0;
}

// Inside a label's frame, if it has one.
PixelRect FormSurface::inside(const Entry& entry) const
{
    return entry.control->style().border == BorderStyle::FixedSingle
               ? entry.box.shrunk(scale_.thickness())
               : entry.box;
}

PixelRect FormSurface::lineBox(const Entry& entry, int line) const
{
    const PixelRect inner = inside(entry);
    const int top = inner.top + entry.pitch * line;
    return {inner.left, top, inner.right, std::min(top + entry.pitch, inner.bottom)};
}

PixelRect FormSurface::lineBox(const Label& label, int line) const
{
    const Entry* entry = entryOf(label);
    return entry != nullptr ? lineBox(*entry, line) : PixelRect{};
}

Color FormSurface::resolve(Color color) const
{
    if (!isSystemColor(color))
        return color & 0x00FFFFFFu;
    const int index = static_cast<int>(color & 0xFFu);
    if (form_.layout().systemColors == SystemColors::Standard)
        return standardSystemColor(index);
    return desktop().systemColor(index) & 0x00FFFFFFu;
}

Color FormSurface::backColor() const
{
    if (highContrast())
        return schemeColor(kSysWindowBackground);
    return resolve(form_.layout().backColor);
}

bool FormSurface::highContrast() const
{
    return form_.layout().systemColors == SystemColors::Standard && desktop().highContrast();
}

Color FormSurface::lineColor(const Control& line) const
{
    if (highContrast())
        return schemeColor(kSysWindowText);
    return resolve(line.style().foreColor);
}

// In high contrast a sheet keeps only the scheme's pairs: text on the window
// colour, and a text in a colour of its own in the scheme's emphasis pair.
// The controls keep the colours the program gave them.
InkOnGround FormSurface::labelColours(const Label& label) const
{
    if (highContrast()) {
        const ContrastScheme scheme{schemeColor(kSysWindowBackground), schemeColor(kSysWindowText),
                                    schemeColor(kSysHighlight), schemeColor(kSysHighlightText)};
        return isEmphasis(label.ForeColor()) ? emphasisPair(scheme)
                                             : InkOnGround{scheme.windowText, scheme.window};
    }
    Color back = resolve(label.style().opaque ? label.BackColor() : form_.layout().backColor);
    Color ink = resolve(label.ForeColor());
    // A desktop's scheme may pair colours no one can read: the standard pair
    // stands in for them.
    if (contrastRatio(ink, back) < kLegibleContrast && isSystemColor(label.ForeColor())) {
        ink = standardSystemColor(static_cast<int>(label.ForeColor() & 0xFFu));
        back = label.style().opaque && isSystemColor(label.BackColor())
                   ? standardSystemColor(static_cast<int>(label.BackColor() & 0xFFu))
                   : back;
    }
    return {ink, back};
}

void FormSurface::paint(Painter& painter, PixelSize window) const
{
    const PixelSize client = clientSize();
    painter.fill(
        {0, 0, std::max(client.width, window.width), std::max(client.height, window.height)},
        backColor());
    for (const Entry& entry : entries_)
        if (entry.control->kind() == ControlKind::Line)
            painter.fill(entry.box, lineColor(*entry.control));
    for (const Entry& entry : entries_)
        if (entry.control->kind() == ControlKind::Label)
            paintLabel(painter, entry);
}

// Background, a flat frame, then the caption line by line from the top of the
// box, each line aligned on its own; nothing wraps, and what does not fit
// inside the frame is cut off there.
void FormSurface::paintLabel(Painter& painter, const Entry& entry) const
{
    const auto& label = static_cast<const Label&>(*entry.control);
    const InkOnGround colours = labelColours(label);
    const Color ink = colours.ink;
    // An emphasised cell in high contrast takes its ground even where the
    // label lets the window show through.
    if (label.style().opaque || (highContrast() && isEmphasis(label.ForeColor())))
        painter.fill(entry.box, colours.ground);
    const Color frameColor = highContrast() ? schemeColor(kSysWindowText) : resolve(kSysWindowText);
    if (label.border() == BorderStyle::FixedSingle)
        painter.frame(entry.box, scale_.thickness(), frameColor);
    const PixelRect inner = inside(entry);
    const auto lines = captionLines(label.Caption());
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::u16string_view line = lines[i];
        const PixelRect lineRows = lineBox(entry, static_cast<int>(i));
        const int top = lineRows.top;
        if (top >= inner.bottom)
            break;
        if (!line.empty()) {
            int x = inner.left;
            if (label.Alignment() != AlignLeft) {
                const int width = desktop().width(entry.font, line);
                x = label.Alignment() == AlignRight ? inner.right - width
                                                    : inner.left + (inner.width() - width) / 2;
            }
            // The rows this line has to itself: to the next line's top, or
            // to the bottom of the box.
            const int end = i + 1 < lines.size() ? lineRows.bottom : inner.bottom;
            if (top + entry.lineHeight > end && line.find(u'_') != std::u16string_view::npos)
                paintUnderscored(painter, entry, x, top, end, line, ink, inner);
            else
                painter.text(x, top, line, entry.font, ink, inner);
        }
    }
}

// Where a line has fewer rows than its face's own line, a low line's glyph
// would fall on the next line or under the box's edge: the low lines are
// drawn as rules on the first row below the baseline, or on the line's last
// row where it ends sooner, and the rest of the line where it would stand.
void FormSurface::paintUnderscored(Painter& painter, const Entry& entry, int x, int top, int end,
                                   std::u16string_view line, Color ink, const PixelRect& clip) const
{
    const int thickness = scale_.thickness();
    const int rule = std::max(top, std::min(top + entry.ascent, end - thickness));
    std::size_t from = 0;
    while (from < line.size()) {
        const std::size_t low = std::min(line.find(u'_', from), line.size());
        const int at = x + (from == 0 ? 0 : desktop().width(entry.font, line.substr(0, from)));
        if (low > from)
            painter.text(at, top, line.substr(from, low - from), entry.font, ink, clip);
        if (low == line.size())
            break;
        const int left = x + (low == 0 ? 0 : desktop().width(entry.font, line.substr(0, low)));
        const int right = x + desktop().width(entry.font, line.substr(0, low + 1));
        const PixelRect bar = PixelRect{left, rule, right, rule + thickness}.intersected(clip);
        if (!bar.empty())
            painter.fill(bar, ink);
        from = low + 1;
    }
}

Label* FormSurface::labelAt(PixelPoint point) const
{
    for (auto it = entries_.rbegin(); it != entries_.rend(); ++it)
        if (it->control->kind() == ControlKind::Label && it->box.contains(point.x, point.y))
            return static_cast<Label*>(it->control);
    return nullptr;
}

void FormSurface::press(PixelPoint point, bool second)
{
    Label* label = labelAt(point);
    if (second) {
        // The original platform: Click on the first release, DblClick on the
        // second press, and no Click for the second press.
        pressed_ = nullptr;
        if (label != nullptr)
            dispatch([label] { label->raiseDblClick(); });
        return;
    }
    pressed_ = label;
}

void FormSurface::release(PixelPoint point)
{
    Label* label = pressed_;
    pressed_ = nullptr;
    if (label != nullptr && labelAt(point) == label)
        dispatch([label] { label->raiseClick(); });
}

CommandButton* FormSurface::firstFocus() const
{
    return focusOrder_.empty() ? nullptr : focusOrder_.front();
}

CommandButton* FormSurface::step(const CommandButton* from, int by) const
{
    const int n = static_cast<int>(focusOrder_.size());
    if (n == 0)
        return nullptr;
    const auto it = std::find(focusOrder_.begin(), focusOrder_.end(), from);
    if (it == focusOrder_.end())
        return by > 0 ? focusOrder_.front() : focusOrder_.back();
    const int at = static_cast<int>(it - focusOrder_.begin());
    return focusOrder_[static_cast<std::size_t>(((at + by) % n + n) % n)];
}

KeyAnswer FormSurface::key(const KeyPress& press, const CommandButton* focused)
{
    if (press.ctrl || press.alt)
        return {};
    if (isLetter(press.key)) {
        if (press.repeat || !form_.layout().keyPreview || !form_.KeyDown)
            return {};
        std::int16_t code = static_cast<std::int16_t>(press.key);
        const std::int16_t shift = press.shift ? kShiftMask : 0;
        dispatch([&] { form_.KeyDown(code, shift); });
        return code == 0 ? KeyAnswer{KeyAnswer::Handled, nullptr} : KeyAnswer{};
    }
    if (focusOrder_.empty())
        return {};
    switch (press.key) {
    case Key::Tab:
        return {KeyAnswer::MoveFocus, step(focused, press.shift ? -1 : +1)};
    case Key::Right:
    case Key::Down:
        return {KeyAnswer::MoveFocus, step(focused, +1)};
    case Key::Left:
    case Key::Up:
        return {KeyAnswer::MoveFocus, step(focused, -1)};
    case Key::Return:
        if (focused == nullptr)
            return {};
        return {KeyAnswer::Click, const_cast<CommandButton*>(focused)};
    case Key::Space:
        return focused != nullptr ? KeyAnswer{KeyAnswer::Native, nullptr} : KeyAnswer{};
    default:
        break;
    }
    return {};
}

void FormSurface::focusChanged(const CommandButton* focused)
{
    focused_ = focused;
    if (announced_ != nullptr) {
        stale_.push_back(announced_);
        announced_ = nullptr;
        announcement_.clear();
    }
    if (focused == nullptr)
        return;
    const auto it = std::find(stale_.begin(), stale_.end(), focused);
    if (it == stale_.end())
        return;
    stale_.erase(it);
    if (peer_ != nullptr)
        peer_->described(*focused);
}

void FormSurface::announce(std::u16string_view text)
{
    if (focused_ == nullptr)
        return;
    toldBy_ = focused_;
    told_.assign(text);
    if (peer_ != nullptr && peer_->announces()) {
        peer_->announce(*focused_, text);
        return;
    }
    if (announced_ != nullptr && announced_ != focused_)
        stale_.push_back(announced_);
    announced_ = focused_;
    announcement_.assign(text);
    const auto it = std::find(stale_.begin(), stale_.end(), announced_);
    if (it != stale_.end())
        stale_.erase(it);
    if (peer_ != nullptr)
        peer_->described(*announced_);
}

const std::u16string* FormSurface::announcementOf(const Control& control) const
{
    return announced_ == &control ? &announcement_ : nullptr;
}

void FormSurface::changed(Control& control, Property property)
{
    Entry* entry = entryOf(control);
    if (entry == nullptr || !measured_)
        return;
    PixelRect dirty = entry->box;
    if (property == Property::Caption && !static_cast<Label&>(control).autoSize()) {
        const FontFace before = entry->font;
        fitFont(*entry);
        if (!(entry->font == before))
            dirty = dirty.united(entry->box);
    }
    if (property == Property::Caption ||
        (property == Property::Alignment && static_cast<Label&>(control).autoSize())) {
        entry->box = fit(*entry);
        dirty = dirty.united(entry->box);
    }
    if (peer_ == nullptr)
        return;
    peer_->invalidate(dirty);
    // A window not shown yet is read as it stands when it shows: the lines
    // a help text is built from, one by one, are no news to a reader.
    const auto tell = [this](Entry& renamed) {
        std::u16string name = renamed.control->accessibleName();
        if (name == renamed.toldName)
            return;
        renamed.toldName = std::move(name);
        if (form_.visible())
            peer_->renamed(*renamed.control);
    };
    tell(*entry);
    for (Entry& other : entries_)
        if (other.control->nameSource() == &control)
            tell(other);
}

} // namespace forms
