#include "TextLayout.hpp"

#include "Diagnostics.hpp"

#include <fontconfig/fontconfig.h>
#include <pango/pangocairo.h>

#include <algorithm>
#include <cctype>
#include <string>

namespace {

// Open fonts that stand in when a requested family is not installed: Lato (it covers Turkish),
// then whatever fontconfig offers. Emoji need no entry: pango picks a colour font for them, and
// naming one here would also hand it the spaces between emoji, which it draws far too wide.
constexpr const char* standInFamilies = "Lato,sans-serif";

// Sizes beyond this are a mistake, and pango would try to lay them out anyway.
constexpr CGFloat maxFontSize = 1000;

// Says once if not even the stand-in is installed: the text then comes in whatever font
// fontconfig finds, and may miss letters; or if there is no font at all, when text shows as boxes.
void checkStandIn()
{
    PangoFontMap* map = pango_cairo_font_map_get_default();
    PangoFontFamily** families = nullptr;
    int count = 0;
    pango_font_map_list_families(map, &families, &count);
    bool found = false;
    for (int i = 0; i < count && !found; ++i) found = std::string(pango_font_family_get_name(families[i])) == "Lato";
    g_free(families);
    // Pango names its generic families even when fontconfig has no font to give them.
    FcFontSet* fonts = FcConfigGetFonts(FcConfigGetCurrent(), FcSetSystem);
    if (!fonts || fonts->nfont == 0)
        Diagnostics::tellOnce("no fonts", "no fonts are installed (fontconfig finds none); text cannot be drawn");
    else if (!found)
        Diagnostics::tellOnce("no Lato", "the Lato font is not installed; labels use the system's default font");
}

PangoContext* measuringContext()
{
    static PangoContext* context = [] {
        checkStandIn();
        PangoContext* c = pango_font_map_create_context(pango_cairo_font_map_get_default());
        cairo_font_options_t* options = cairo_font_options_create();
        cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
        cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
        pango_cairo_context_set_font_options(c, options);
        cairo_font_options_destroy(options);
        pango_context_set_round_glyph_positions(c, FALSE);
        return c;
    }();
    return context;
}

std::string weightFor(std::string style)
{
    std::string words;
    for (char c : style) {
        if (std::isupper(static_cast<unsigned char>(c)) && !words.empty()) words += ' ';
        words += c;
    }
    // pango knows "Bold", "Medium", "Semi-Bold", "Heavy", "Light", "Italic"… by these spellings.
    if (words == "Demi Bold" || words == "Semibold") return "Semi-Bold";
    if (words == "Ultra Light") return "Ultra-Light";
    if (words == "Regular") return "";
    return words;
}

std::string splitCamelCase(const std::string& family)
{
    std::string out;
    for (std::size_t i = 0; i < family.size(); ++i) {
        unsigned char c = family[i];
        if (i > 0 && std::isupper(c) && std::islower(static_cast<unsigned char>(family[i - 1]))) out += ' ';
        out += static_cast<char>(c);
    }
    return out;
}

} // namespace

std::string pangoDescriptionForFontName(const std::string& fontName)
{
    std::string family = fontName, style;
    if (auto dash = fontName.find('-'); dash != std::string::npos) {
        family = fontName.substr(0, dash);
        style = weightFor(fontName.substr(dash + 1));
    }
    // Commas would start new families and could smuggle in sizes; keep the name to its letters.
    std::erase_if(family, [](char c) { return c == ',' || c == '\n'; });
    family = splitCamelCase(family);
    std::string description = family.empty() ? standInFamilies : family + "," + standInFamilies;
    if (!style.empty()) description += " " + style;
    return description;
}

TextLayout::TextLayout() = default;

TextLayout::~TextLayout()
{
    if (layout_) g_object_unref(layout_);
}

bool TextLayout::matches(const std::string& fontName, CGFloat size, const std::string& text, int numberOfLines) const
{
    return layout_ && fontName == fontName_ && std::clamp(size, 0.0, maxFontSize) == fontSize_ && text == text_ &&
           numberOfLines == numberOfLines_;
}

bool TextLayout::set(const std::string& fontName, CGFloat size, const std::string& text, int numberOfLines)
{
    if (matches(fontName, size, text, numberOfLines)) return false;
    size = std::clamp(size, 0.0, maxFontSize);
    fontName_ = fontName;
    fontSize_ = size;
    text_ = text;
    numberOfLines_ = numberOfLines;
    rebuild();
    return true;
}

void TextLayout::rebuild()
{
    if (!layout_) layout_ = pango_layout_new(measuringContext());

    std::string shown = text_;
    if (numberOfLines_ > 0) {
        std::size_t at = 0;
        for (int line = 0; line < numberOfLines_ && at != std::string::npos; ++line) {
            at = shown.find('\n', at);
            if (at != std::string::npos && line + 1 < numberOfLines_) ++at;
        }
        if (at != std::string::npos) shown.resize(at);
    }
    // Invalid UTF-8 would make pango complain on every frame; show the valid start instead.
    const gchar* end = nullptr;
    if (!g_utf8_validate(shown.data(), static_cast<gssize>(shown.size()), &end)) shown.resize(end - shown.data());

    PangoFontDescription* font = pango_font_description_from_string(pangoDescriptionForFontName(fontName_).c_str());
    pango_font_description_set_absolute_size(font, fontSize_ * PANGO_SCALE);
    pango_layout_set_font_description(layout_, font);
    pango_font_description_free(font);
    pango_layout_set_alignment(layout_, PANGO_ALIGN_CENTER);
    pango_layout_set_text(layout_, shown.data(), static_cast<int>(shown.size()));

    PangoRectangle logical;
    pango_layout_get_extents(layout_, nullptr, &logical);
    size_ = shown.empty() || fontSize_ <= 0 ? CGSize{} : CGSize{logical.width / double(PANGO_SCALE), logical.height / double(PANGO_SCALE)};
    offset_ = {logical.x / double(PANGO_SCALE), logical.y / double(PANGO_SCALE)};

    PangoLayoutIter* it = pango_layout_get_iter(layout_);
    int baseline = 0;
    do baseline = pango_layout_iter_get_baseline(it);
    while (pango_layout_iter_next_line(it));
    pango_layout_iter_free(it);
    lastBaseline_ = baseline / double(PANGO_SCALE) - offset_.y;
}

void TextLayout::draw(cairo_t* cr) const
{
    if (isEmpty()) return;
    cairo_rel_move_to(cr, -offset_.x, -offset_.y);
    pango_cairo_show_layout(cr, layout_);
}
