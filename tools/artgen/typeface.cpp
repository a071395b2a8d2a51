#include "tools/artgen/typeface.h"

#include <fontconfig/fontconfig.h>

#include <memory>
#include <stdexcept>

namespace korvel::art {

namespace {

struct Family {
    const char* name;
    cairo_font_weight_t weight;
    const char* package;
};

Family familyOf(Typeface typeface) {
    switch (typeface) {
    case Typeface::sans: return {"DejaVu Sans", CAIRO_FONT_WEIGHT_NORMAL, "fonts-dejavu-core"};
    case Typeface::sansBold: return {"DejaVu Sans", CAIRO_FONT_WEIGHT_BOLD, "fonts-dejavu-core"};
    case Typeface::monoBold:
        return {"DejaVu Sans Mono", CAIRO_FONT_WEIGHT_BOLD, "fonts-dejavu-core"};
    case Typeface::katakana: return {"Noto Sans CJK JP", CAIRO_FONT_WEIGHT_BOLD, "fonts-noto-cjk"};
    }
    throw std::logic_error("unknown typeface");
}

bool fontconfigHas(const char* family) {
    using Pattern = std::unique_ptr<FcPattern, decltype(&FcPatternDestroy)>;
    Pattern wanted(FcNameParse(reinterpret_cast<const FcChar8*>(family)), FcPatternDestroy);
    FcConfigSubstitute(nullptr, wanted.get(), FcMatchPattern);
    FcDefaultSubstitute(wanted.get());
    FcResult result = FcResultNoMatch;
    Pattern found(FcFontMatch(nullptr, wanted.get(), &result), FcPatternDestroy);
    if (!found) return false;
    FcChar8* name = nullptr;
    for (int i = 0; FcPatternGetString(found.get(), FC_FAMILY, i, &name) == FcResultMatch; ++i)
        if (FcStrCmpIgnoreCase(name, reinterpret_cast<const FcChar8*>(family)) == 0) return true;
    return false;
}

} // namespace

void useTypeface(cairo_t* cr, Typeface typeface, double pixelSize) {
    const Family family = familyOf(typeface);
    if (!fontconfigHas(family.name))
        throw std::runtime_error(std::string("font family \"") + family.name +
                                 "\" not found; install the Debian package " + family.package +
                                 " (bash scripts/install-deps does)");
    cairo_select_font_face(cr, family.name, CAIRO_FONT_SLANT_NORMAL, family.weight);
    cairo_set_font_size(cr, pixelSize);
    // Fixed options, so that the pictures do not depend on a user's font settings.
    // Hinting snaps the glyphs' heights to whole pixels; the metrics must be hinted
    // too, because Cairo clips drawn text to the glyphs' metric boxes, and unhinted
    // boxes cut off the row that hinting moved a cap line up into.
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
    cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_SLIGHT);
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_ON);
    cairo_set_font_options(cr, options);
    cairo_font_options_destroy(options);
}

void showCentred(cairo_t* cr, const std::string& text, double x, double baseline) {
    cairo_text_extents_t extents;
    cairo_text_extents(cr, text.c_str(), &extents);
    cairo_move_to(cr, x - extents.x_bearing - extents.width / 2, baseline);
    cairo_show_text(cr, text.c_str());
    cairo_new_path(cr);
}

} // namespace korvel::art
