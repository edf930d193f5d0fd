#include "annotate/caption_text.hpp"

#include <algorithm>
#include <cmath>
#include <memory>
#include <unordered_map>

#include "annotate/font_faces.hpp"

#include FT_GLYPH_H
#include FT_OUTLINE_H

namespace ts {
namespace {

// ---------------------------------------------------------------------------
// Characters: what the eye takes as one, and which font draws it.

hb_unicode_funcs_t* unicode() {
    static hb_unicode_funcs_t* const funcs = hb_unicode_funcs_get_default();
    return funcs;
}

hb_unicode_general_category_t category(char32_t c) { return hb_unicode_general_category(unicode(), c); }

bool isMark(char32_t c) {
    const hb_unicode_general_category_t g = category(c);
    return g == HB_UNICODE_GENERAL_CATEGORY_NON_SPACING_MARK || g == HB_UNICODE_GENERAL_CATEGORY_SPACING_MARK ||
           g == HB_UNICODE_GENERAL_CATEGORY_ENCLOSING_MARK;
}

bool isLetter(char32_t c) {
    switch (category(c)) {
        case HB_UNICODE_GENERAL_CATEGORY_LOWERCASE_LETTER:
        case HB_UNICODE_GENERAL_CATEGORY_MODIFIER_LETTER:
        case HB_UNICODE_GENERAL_CATEGORY_OTHER_LETTER:
        case HB_UNICODE_GENERAL_CATEGORY_TITLECASE_LETTER:
        case HB_UNICODE_GENERAL_CATEGORY_UPPERCASE_LETTER:
        case HB_UNICODE_GENERAL_CATEGORY_SPACING_MARK:
            return true;
        default:
            return false;
    }
}

constexpr char32_t kZeroWidthNonJoiner = 0x200C, kZeroWidthJoiner = 0x200D;
constexpr char32_t kAsText = 0xFE0E, kAsEmoji = 0xFE0F;

bool isVariationSelector(char32_t c) { return (c >= 0xFE00 && c <= 0xFE0F) || (c >= 0xE0100 && c <= 0xE01EF); }
bool isEmojiModifier(char32_t c) { return c >= 0x1F3FB && c <= 0x1F3FF; }
bool isTag(char32_t c) { return c >= 0xE0020 && c <= 0xE007F; }
bool isRegionalIndicator(char32_t c) { return c >= 0x1F1E6 && c <= 0x1F1FF; }
// The blocks of pictographs and emoji, where a colour glyph is wanted.
bool isEmojiBlock(char32_t c) { return c >= 0x1F000 && c <= 0x1FAFF; }
// Characters that only steer how their neighbours are drawn: a font that
// lacks them can still draw the character they belong to.
bool isSteering(char32_t c) {
    return isVariationSelector(c) || isTag(c) || c == kZeroWidthJoiner || c == kZeroWidthNonJoiner;
}

struct Cluster {
    std::size_t start = 0, end = 0;  // code points [start, end) of the text
    CaptionFont font = CaptionFont::DejaVuSans;
    hb_script_t script = HB_SCRIPT_COMMON;
    int level = 0;  // of the line's reading order: odd reads right to left
};

// Cuts the text where the eye sees a new character: marks, variation
// selectors, emoji modifiers and tags stay with what they follow, a
// zero-width joiner joins its two neighbours, and regional indicators pair
// up into flags.
std::vector<Cluster> clustersOf(std::u32string_view text) {
    std::vector<Cluster> clusters;
    for (std::size_t k = 0; k < text.size(); ++k) {
        const char32_t c = text[k];
        bool joins = false;
        if (!clusters.empty()) {
            const Cluster& last = clusters.back();
            const bool pairsAFlag =
                isRegionalIndicator(c) && last.end - last.start == 1 && isRegionalIndicator(text[last.start]);
            joins = isMark(c) || isVariationSelector(c) || isEmojiModifier(c) || isTag(c) || c == kZeroWidthJoiner ||
                    text[k - 1] == kZeroWidthJoiner || pairsAFlag;
        }
        if (joins)
            clusters.back().end = k + 1;
        else
            clusters.push_back({k, k + 1});
    }
    return clusters;
}

bool fontHas(CaptionFont font, char32_t c) {
    hb_codepoint_t glyph = 0;
    return hb_font_get_nominal_glyph(fonts::file(font).shaper, c, &glyph) != 0;
}

bool fontHasAll(CaptionFont font, std::u32string_view cluster) {
    return std::all_of(cluster.begin(), cluster.end(),
                       [font](char32_t c) { return isSteering(c) || fontHas(font, c); });
}

CaptionFont fontFor(std::u32string_view cluster) {
    constexpr CaptionFont kInOrder[] = {CaptionFont::DejaVuSans, CaptionFont::WenQuanYi, CaptionFont::NotoColorEmoji,
                                        CaptionFont::LohitDevanagari, CaptionFont::Loma};
    const bool asText = cluster.find(kAsText) != std::u32string_view::npos;
    const bool asEmoji =
        !asText && (isEmojiBlock(cluster.front()) || cluster.find(kAsEmoji) != std::u32string_view::npos);
    if (asEmoji && fontHasAll(CaptionFont::NotoColorEmoji, cluster)) return CaptionFont::NotoColorEmoji;
    for (const CaptionFont font : kInOrder)
        if (fontHasAll(font, cluster)) return font;
    // Drawn in part: with the first font that has the character itself.
    for (const CaptionFont font : kInOrder)
        if (fontHas(font, cluster.front())) return font;
    return CaptionFont::DejaVuSans;  // its missing-glyph box
}

// ---------------------------------------------------------------------------
// Scripts: a character common to several (spaces, digits, punctuation)
// goes with the script around it.

hb_script_t scriptOf(std::u32string_view cluster) {
    for (const char32_t c : cluster) {
        const hb_script_t script = hb_unicode_script(unicode(), c);
        if (script != HB_SCRIPT_COMMON && script != HB_SCRIPT_INHERITED && script != HB_SCRIPT_UNKNOWN) return script;
    }
    return HB_SCRIPT_COMMON;
}

void resolveScripts(std::vector<Cluster>& clusters) {
    hb_script_t last = HB_SCRIPT_COMMON;
    for (Cluster& c : clusters) {
        if (c.script == HB_SCRIPT_COMMON)
            c.script = last;
        else
            last = c.script;
    }
    // Those before the first script take the first; a line without any is Latin.
    hb_script_t next = HB_SCRIPT_LATIN;
    for (auto c = clusters.rbegin(); c != clusters.rend(); ++c) {
        if (c->script == HB_SCRIPT_COMMON)
            c->script = next;
        else
            next = c->script;
    }
}

// ---------------------------------------------------------------------------
// Reading order: a small part of the Unicode bidirectional algorithm, enough
// for lines in one direction with words, numbers and punctuation of the
// other: the line's direction is its first strong character's, numbers read
// left to right, and neutrals take the direction of the strong characters on
// both sides when they agree, else the line's.

enum class Bidi { Left, Right, Number, Neutral };

Bidi bidiOf(char32_t c) {
    if (category(c) == HB_UNICODE_GENERAL_CATEGORY_DECIMAL_NUMBER) return Bidi::Number;
    if (isMark(c) && category(c) != HB_UNICODE_GENERAL_CATEGORY_SPACING_MARK) return Bidi::Neutral;
    if (hb_script_get_horizontal_direction(hb_unicode_script(unicode(), c)) == HB_DIRECTION_RTL) return Bidi::Right;
    return isLetter(c) ? Bidi::Left : Bidi::Neutral;
}

void resolveLevels(std::vector<Cluster>& clusters, std::u32string_view text) {
    const std::size_t n = clusters.size();
    std::vector<Bidi> types(n);
    for (std::size_t k = 0; k < n; ++k) types[k] = bidiOf(text[clusters[k].start]);
    int paragraph = 0;
    for (const Bidi t : types) {
        if (t == Bidi::Left || t == Bidi::Right) {
            paragraph = t == Bidi::Right ? 1 : 0;
            break;
        }
    }
    const Bidi edge = paragraph == 1 ? Bidi::Right : Bidi::Left;
    const auto levelOf = [paragraph](Bidi direction) {
        return direction == Bidi::Right ? 1 : (paragraph == 1 ? 2 : 0);
    };
    // Strong characters and numbers; a number after a left-to-right letter
    // counts as one for the neutrals, otherwise as right-to-left.
    std::vector<Bidi> direction(n, Bidi::Neutral);
    Bidi lastStrong = edge;
    for (std::size_t k = 0; k < n; ++k) {
        switch (types[k]) {
            case Bidi::Left:
            case Bidi::Right:
                lastStrong = direction[k] = types[k];
                clusters[k].level = levelOf(types[k]);
                break;
            case Bidi::Number:
                direction[k] = lastStrong == Bidi::Left ? Bidi::Left : Bidi::Right;
                clusters[k].level = paragraph == 0 && lastStrong == Bidi::Left ? 0 : 2;
                break;
            case Bidi::Neutral:
                break;
        }
    }
    for (std::size_t k = 0; k < n;) {
        if (direction[k] != Bidi::Neutral) {
            ++k;
            continue;
        }
        std::size_t end = k;
        while (end < n && direction[end] == Bidi::Neutral) ++end;
        const Bidi before = k > 0 ? direction[k - 1] : edge;
        const Bidi after = end < n ? direction[end] : edge;
        const int level = levelOf(before == after ? before : edge);
        for (; k < end; ++k) clusters[k].level = level;
    }
}

// A stretch of the line shaped at once: one font, one script, one level.
struct Run {
    std::size_t start, end;
    CaptionFont font;
    hb_script_t script;
    int level;
};

// The runs in the order they stand, left to right: every stretch of runs at
// a level or above is reversed, from the highest level down to 1.
std::vector<Run> visualRuns(const std::vector<Cluster>& clusters) {
    std::vector<Run> runs;
    for (const Cluster& c : clusters) {
        if (!runs.empty() && runs.back().font == c.font && runs.back().script == c.script &&
            runs.back().level == c.level) {
            runs.back().end = c.end;
        } else {
            runs.push_back({c.start, c.end, c.font, c.script, c.level});
        }
    }
    int highest = 0;
    for (const Run& r : runs) highest = std::max(highest, r.level);
    for (int level = highest; level >= 1; --level) {
        for (auto r = runs.begin(); r != runs.end();) {
            if (r->level < level) {
                ++r;
                continue;
            }
            auto end = r;
            while (end != runs.end() && end->level >= level) ++end;
            std::reverse(r, end);
            r = end;
        }
    }
    return runs;
}

// One buffer per thread, used again for every run.
class ShapingBuffer {
public:
    ShapingBuffer() : buffer_(hb_buffer_create()) {}
    ~ShapingBuffer() { hb_buffer_destroy(buffer_); }
    ShapingBuffer(const ShapingBuffer&) = delete;
    ShapingBuffer& operator=(const ShapingBuffer&) = delete;
    hb_buffer_t* get() const { return buffer_; }

private:
    hb_buffer_t* buffer_;
};

hb_buffer_t* threadBuffer() {
    thread_local ShapingBuffer buffer;
    return buffer.get();
}

// No language of the user's: the same text is shaped alike everywhere.
hb_language_t shapingLanguage() {
    static const hb_language_t language = hb_language_from_string("und", -1);
    return language;
}

// ---------------------------------------------------------------------------
// Drawing.

std::uint8_t mix(std::uint8_t from, std::uint8_t to, unsigned amount) {
    return static_cast<std::uint8_t>((from * (255u - amount) + to * amount + 127u) / 255u);
}

long floorDiv64(long v) { return v >= 0 ? v / 64 : -((-v + 63) / 64); }

// A glyph's coverage as FreeType renders it, row by row from the top, with
// the place of its top-left corner from the whole pixel of the glyph's
// origin (top counted upwards, as FreeType does).
struct GlyphMask {
    long left = 0, top = 0;
    int width = 0, rows = 0;
    std::vector<std::uint8_t> coverage;

    void keep(const FT_Bitmap& from, long fromLeft, long fromTop) {
        left = fromLeft;
        top = fromTop;
        width = static_cast<int>(from.width);
        rows = static_cast<int>(from.rows);
        coverage.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(rows));
        for (int row = 0; row < rows; ++row) {
            const int stored = from.pitch >= 0 ? row : rows - 1 - row;
            const unsigned char* line = from.buffer + static_cast<std::ptrdiff_t>(stored) * std::abs(from.pitch);
            std::copy(line, line + width, coverage.begin() + static_cast<std::ptrdiff_t>(row) * width);
        }
    }
};

// How much of each pixel the edges and the fills of a line's glyphs cover,
// over rows [top, top + height) of the raster: each pixel takes the most
// any glyph covers of it, so that touching glyphs join without seams.
class Coverage {
public:
    Coverage(const Raster& raster, int top, int height)
        : top_(std::max(0, top)),
          bottom_(std::min(raster.height(), top + height)),
          width_(raster.width()),
          edge_(area(), 0),
          fill_(area(), 0) {}

    // A glyph whose origin's whole pixel is (x, y).
    void addEdge(const GlyphMask& glyph, long x, long y) { add(edge_, glyph, x + glyph.left, y - glyph.top); }
    void addFill(const GlyphMask& glyph, long x, long y) { add(fill_, glyph, x + glyph.left, y - glyph.top); }

    // Blends the edge colour in, then the fill colour over it.
    void paint(Raster& raster, Colour fill, Colour edge) const {
        if (right_ < left_) return;
        std::uint32_t* pixels = raster.data();
        for (int y = top_; y < bottom_; ++y) {
            for (int x = left_; x <= right_; ++x) {
                const std::size_t at = index(x, y);
                const unsigned e = edge_[at], f = fill_[at];
                if ((e | f) == 0) continue;
                std::uint32_t& p = pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) +
                                          static_cast<std::size_t>(x)];
                const Colour under = Colour::fromPixel(p);
                const std::uint8_t r = mix(mix(under.red(), edge.red(), e), fill.red(), f);
                const std::uint8_t g = mix(mix(under.green(), edge.green(), e), fill.green(), f);
                const std::uint8_t b = mix(mix(under.blue(), edge.blue(), e), fill.blue(), f);
                p = Colour::fromRgb(r, g, b).pixel();
            }
        }
    }

private:
    std::size_t area() const {
        return static_cast<std::size_t>(std::max(0, bottom_ - top_)) * static_cast<std::size_t>(width_);
    }
    std::size_t index(int x, int y) const {
        return static_cast<std::size_t>(y - top_) * static_cast<std::size_t>(width_) + static_cast<std::size_t>(x);
    }

    void add(std::vector<std::uint8_t>& mask, const GlyphMask& glyph, long left, long top) {
        for (int row = 0; row < glyph.rows; ++row) {
            const long y = top + row;
            if (y < top_ || y >= bottom_) continue;
            const std::uint8_t* line = glyph.coverage.data() + static_cast<std::ptrdiff_t>(row) * glyph.width;
            for (int column = 0; column < glyph.width; ++column) {
                const long x = left + column;
                if (x < 0 || x >= width_ || line[column] == 0) continue;
                std::uint8_t& m = mask[index(static_cast<int>(x), static_cast<int>(y))];
                m = std::max(m, line[column]);
                left_ = std::min(left_, static_cast<int>(x));
                right_ = std::max(right_, static_cast<int>(x));
            }
        }
    }

    int top_, bottom_, width_;
    int left_ = 1 << 30, right_ = -1;
    std::vector<std::uint8_t> edge_, fill_;
};

struct RenderedGlyph {
    GlyphMask edge, fill;
};

// Which glyph at which size, with which edge.
struct GlyphKey {
    std::uint64_t glyph, size, edge;
    bool operator==(const GlyphKey&) const = default;
};
struct GlyphKeyHash {
    std::size_t operator()(const GlyphKey& k) const {
        return std::hash<std::uint64_t>()((k.glyph * 0x9E3779B97F4A7C15ull ^ k.size) * 0x9E3779B97F4A7C15ull ^ k.edge);
    }
};

// A glyph's outline at a size, unhinted, with its origin at (0, 0), and the
// outer border of its stroke: the glyph grown by the edge's width all round.
class GlyphOutlines {
public:
    GlyphOutlines(FT_Face face, FT_Stroker stroker, std::uint32_t glyph) {
        if (FT_Load_Glyph(face, glyph, FT_LOAD_NO_HINTING | FT_LOAD_NO_BITMAP) != 0) return;
        const FT_GlyphSlot slot = face->glyph;
        if (slot->format != FT_GLYPH_FORMAT_OUTLINE || slot->outline.n_points == 0) return;
        if (FT_Get_Glyph(slot, &fill_) != 0) fill_ = nullptr;
        FT_Glyph edge = nullptr;
        if (FT_Get_Glyph(slot, &edge) == 0) {
            if (FT_Glyph_StrokeBorder(&edge, stroker, 0, 1) == 0)
                edge_ = edge;
            else
                FT_Done_Glyph(edge);
        }
    }
    ~GlyphOutlines() {
        if (fill_) FT_Done_Glyph(fill_);
        if (edge_) FT_Done_Glyph(edge_);
    }
    GlyphOutlines(const GlyphOutlines&) = delete;
    GlyphOutlines& operator=(const GlyphOutlines&) = delete;

    FT_Glyph fill() const { return fill_; }
    FT_Glyph edge() const { return edge_; }

private:
    FT_Glyph fill_ = nullptr, edge_ = nullptr;
};

// An outline rendered with its origin moved `subX`, `subY` (in 1/64 pixel,
// y down) past a whole pixel; the outline itself stays as it was.
void renderInto(GlyphMask& mask, FT_Glyph outline, long subX, long subY) {
    if (!outline) return;
    FT_Glyph rendered = outline;
    FT_Vector origin{subX, -subY};
    if (FT_Glyph_To_Bitmap(&rendered, FT_RENDER_MODE_NORMAL, &origin, 0) != 0) return;
    const auto* bitmap = reinterpret_cast<FT_BitmapGlyph>(rendered);
    mask.keep(bitmap->bitmap, bitmap->left, bitmap->top);
    FT_Done_Glyph(rendered);
}

// The glyphs this thread has drawn lately, as outlines and as coverage.
// Stroking a glyph costs many times more than rendering it, and rendering
// more than blending it in; a caption's letters come back often, within a
// text and from text to text at the caption's few sizes. Each glyph is
// stroked once per size, and rendered once per placement: origins fall on
// quarter pixels, so there are at most sixteen. What is drawn depends only
// on the glyph, its size and its placement, never on what was drawn before.
class GlyphCache {
public:
    // The thread's faces and stroker outlive the outlines made with them.
    GlyphCache() { (void)fonts::threadFaces(); }

    const RenderedGlyph& find(CaptionFont font, FT_Face face, FT_Stroker stroker, std::uint32_t glyph, long size,
                              long edgeRadius, long subX, long subY) {
        const GlyphKey key{static_cast<std::uint64_t>(glyph) << 8 | static_cast<std::uint64_t>(font),
                           static_cast<std::uint64_t>(size), static_cast<std::uint64_t>(edgeRadius)};
        const Placed placed{key, static_cast<std::uint64_t>(subX) << 8 | static_cast<std::uint64_t>(subY)};
        if (auto found = rendered_.find(placed); found != rendered_.end()) return found->second;

        if (rendered_.size() >= kMostPlacements) rendered_.clear();
        if (outlines_.size() >= kMostGlyphs) outlines_.clear();
        auto outlines = outlines_.find(key);
        if (outlines == outlines_.end())
            outlines = outlines_.emplace(key, std::make_unique<GlyphOutlines>(face, stroker, glyph)).first;
        RenderedGlyph& rendered = rendered_[placed];
        renderInto(rendered.edge, outlines->second->edge(), subX, subY);
        renderInto(rendered.fill, outlines->second->fill(), subX, subY);
        return rendered;
    }

private:
    static constexpr std::size_t kMostGlyphs = 2048, kMostPlacements = 8192;
    struct Placed {
        GlyphKey glyph;
        std::uint64_t placement;
        bool operator==(const Placed&) const = default;
    };
    struct PlacedHash {
        std::size_t operator()(const Placed& p) const {
            return GlyphKeyHash()(p.glyph) * 0x9E3779B97F4A7C15ull ^ p.placement;
        }
    };
    std::unordered_map<GlyphKey, std::unique_ptr<GlyphOutlines>, GlyphKeyHash> outlines_;
    std::unordered_map<Placed, RenderedGlyph, PlacedHash> rendered_;
};

// An outline glyph with its origin at (x, y) in 1/64 pixel, y down.
void addOutlineGlyph(CaptionFont font, FT_Face face, FT_Stroker stroker, long size, long edgeRadius,
                     std::uint32_t glyph, long x, long y, Coverage& coverage) {
    thread_local GlyphCache cache;
    const long pixelX = floorDiv64(x), pixelY = floorDiv64(y);
    const RenderedGlyph& rendered =
        cache.find(font, face, stroker, glyph, size, edgeRadius, x - pixelX * 64, y - pixelY * 64);
    coverage.addEdge(rendered.edge, pixelX, pixelY);
    coverage.addFill(rendered.fill, pixelX, pixelY);
}

// A position in pixels as 1/64 pixel, on the nearest quarter pixel.
long quarterPixels(double v) { return std::lround(v * 4) * 16; }

// A colour glyph scaled to the caption's size: premultiplied blue, green,
// red, alpha, row by row, with where it stands from its origin in the
// bitmap font's own pixels.
struct ScaledEmoji {
    double left = 0, top = 0;  // of the unscaled bitmap, from the origin, y up
    int width = 0, height = 0;
    std::vector<std::uint8_t> pixels;
};

// Each target pixel is the exact average of the source area it covers: a
// box filter in whole numbers, the same on every machine. In the source's
// units scaled by the target's size, source pixel k spans [k * to, (k + 1)
// * to) and target pixel j spans [j * from, (j + 1) * from).
template <typename Visit>
void overlaps(int from, int to, int j, Visit&& visit) {
    const long low = static_cast<long>(j) * from, high = low + from;
    for (long k = low / to; k < from && k * to < high; ++k) {
        const long overlap = std::min(high, (k + 1) * to) - std::max(low, k * to);
        if (overlap > 0) visit(static_cast<int>(k), static_cast<std::uint64_t>(overlap));
    }
}

std::vector<std::uint8_t> scaleBgra(const FT_Bitmap& source, int width, int height) {
    const int sw = static_cast<int>(source.width), sh = static_cast<int>(source.rows);
    const auto cell = [](int a, int b, int c) {
        return (static_cast<std::size_t>(a) * static_cast<std::size_t>(b) + static_cast<std::size_t>(c)) * 4;
    };
    // Across, then down; sums kept whole until the end.
    std::vector<std::uint64_t> across(static_cast<std::size_t>(sh) * static_cast<std::size_t>(width) * 4, 0);
    for (int y = 0; y < sh; ++y) {
        const int stored = source.pitch >= 0 ? y : sh - 1 - y;
        const unsigned char* row = source.buffer + static_cast<std::ptrdiff_t>(stored) * std::abs(source.pitch);
        for (int j = 0; j < width; ++j)
            overlaps(sw, width, j, [&](int k, std::uint64_t w) {
                for (std::size_t c = 0; c < 4; ++c)
                    across[cell(y, width, j) + c] += w * row[static_cast<std::size_t>(k) * 4 + c];
            });
    }
    std::vector<std::uint8_t> out(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4, 0);
    const std::uint64_t total = static_cast<std::uint64_t>(sw) * static_cast<std::uint64_t>(sh);
    for (int i = 0; i < height; ++i)
        for (int j = 0; j < width; ++j) {
            std::uint64_t sum[4] = {0, 0, 0, 0};
            overlaps(sh, height, i, [&](int y, std::uint64_t w) {
                for (std::size_t c = 0; c < 4; ++c) sum[c] += w * across[cell(y, width, j) + c];
            });
            for (std::size_t c = 0; c < 4; ++c)
                out[cell(i, width, j) + c] =
                    static_cast<std::uint8_t>(std::min<std::uint64_t>(255, (sum[c] + total / 2) / total));
        }
    return out;
}

// From a bitmap font's one size to `size` pixels per em (in 1/64 pixel).
double emojiScale(FT_Face face, long size) {
    return static_cast<double>(size) / 64.0 / static_cast<double>(face->size->metrics.y_ppem);
}

// The emoji of this thread's recent captions, scaled: decoding a bitmap
// glyph and scaling it costs far more than drawing it.
class EmojiCache {
public:
    // At `size` pixels per em, in 1/64 pixel.
    const ScaledEmoji* find(FT_Face face, std::uint32_t glyph, long size) {
        const auto key = std::make_pair(glyph, static_cast<long long>(size));
        if (auto found = cache_.find(key); found != cache_.end()) return &found->second;
        if (FT_Load_Glyph(face, glyph, FT_LOAD_COLOR) != 0) return nullptr;
        const FT_GlyphSlot slot = face->glyph;
        if (slot->bitmap.pixel_mode != FT_PIXEL_MODE_BGRA || slot->bitmap.width == 0 || slot->bitmap.rows == 0)
            return nullptr;
        const double scale = emojiScale(face, size);
        ScaledEmoji scaled;
        scaled.left = slot->bitmap_left;
        scaled.top = slot->bitmap_top;
        scaled.width = std::max(1, static_cast<int>(std::lround(slot->bitmap.width * scale)));
        scaled.height = std::max(1, static_cast<int>(std::lround(slot->bitmap.rows * scale)));
        scaled.pixels = scaleBgra(slot->bitmap, scaled.width, scaled.height);
        if (cache_.size() >= kMostEntries) cache_.clear();
        return &cache_.emplace(key, std::move(scaled)).first->second;
    }

private:
    static constexpr std::size_t kMostEntries = 512;
    struct KeyHash {
        std::size_t operator()(const std::pair<std::uint32_t, long long>& k) const {
            return std::hash<long long>()(k.second * 1000003 + k.first);
        }
    };
    std::unordered_map<std::pair<std::uint32_t, long long>, ScaledEmoji, KeyHash> cache_;
};

// A colour glyph with its origin at (x, y) pixels, its corner on whole pixels.
void drawEmoji(Raster& raster, FT_Face face, std::uint32_t glyph, double x, double y, long size) {
    thread_local EmojiCache cache;
    const ScaledEmoji* emoji = cache.find(face, glyph, size);
    if (!emoji) return;
    const double scale = emojiScale(face, size);
    const long left = std::lround(x + emoji->left * scale), top = std::lround(y - emoji->top * scale);
    std::uint32_t* pixels = raster.data();
    for (int row = 0; row < emoji->height; ++row) {
        const long py = top + row;
        if (py < 0 || py >= raster.height()) continue;
        for (int column = 0; column < emoji->width; ++column) {
            const long px = left + column;
            if (px < 0 || px >= raster.width()) continue;
            const std::uint8_t* s =
                &emoji->pixels[(static_cast<std::size_t>(row) * static_cast<std::size_t>(emoji->width) +
                                static_cast<std::size_t>(column)) *
                               4];
            const unsigned alpha = s[3];
            if (alpha == 0) continue;
            std::uint32_t& p = pixels[static_cast<std::size_t>(py) * static_cast<std::size_t>(raster.width()) +
                                      static_cast<std::size_t>(px)];
            const Colour under = Colour::fromPixel(p);
            // Premultiplied: the colour over what is under, as far as alpha says.
            const auto over = [alpha](unsigned below, unsigned above) {
                return static_cast<std::uint8_t>(std::min(255u, (below * (255u - alpha) + above * 255u + 127u) / 255u));
            };
            p = Colour::fromRgb(over(under.red(), s[2]), over(under.green(), s[1]), over(under.blue(), s[0])).pixel();
        }
    }
}

}  // namespace

ShapedLine shapeCaptionLine(std::u32string_view text) {
    ShapedLine line;
    if (text.empty()) return line;
    std::vector<Cluster> clusters = clustersOf(text);
    for (Cluster& c : clusters) {
        const std::u32string_view characters = text.substr(c.start, c.end - c.start);
        c.font = fontFor(characters);
        c.script = scriptOf(characters);
    }
    resolveScripts(clusters);
    resolveLevels(clusters, text);

    // The whole line goes in with each run, as the context of its ends.
    const std::vector<std::uint32_t> codes(text.begin(), text.end());
    hb_buffer_t* buffer = threadBuffer();
    double pen = 0;
    for (const Run& run : visualRuns(clusters)) {
        hb_buffer_clear_contents(buffer);
        hb_buffer_add_utf32(buffer, codes.data(), static_cast<int>(codes.size()), static_cast<unsigned>(run.start),
                            static_cast<int>(run.end - run.start));
        hb_buffer_set_direction(buffer, run.level % 2 == 1 ? HB_DIRECTION_RTL : HB_DIRECTION_LTR);
        hb_buffer_set_script(buffer, run.script);
        hb_buffer_set_language(buffer, shapingLanguage());
        const fonts::FontFile& file = fonts::file(run.font);
        hb_shape(file.shaper, buffer, nullptr, 0);
        unsigned count = 0;
        const hb_glyph_info_t* infos = hb_buffer_get_glyph_infos(buffer, &count);
        const hb_glyph_position_t* positions = hb_buffer_get_glyph_positions(buffer, nullptr);
        for (unsigned k = 0; k < count; ++k) {
            line.glyphs.push_back({run.font, infos[k].codepoint, infos[k].cluster,
                                   pen + positions[k].x_offset / file.unitsPerEm,
                                   positions[k].y_offset / file.unitsPerEm});
            pen += positions[k].x_advance / file.unitsPerEm;
        }
    }
    line.advance = pen;
    return line;
}

float captionTextWidth(std::u32string_view text, float points) {
    return static_cast<float>(shapeCaptionLine(text).advance * pixelsPerEm(points));
}

float captionLineSpacing(float points) {
    return static_cast<float>(fonts::lineMetrics().spacing * pixelsPerEm(points));
}

float drawCaptionText(Raster& raster, float x, float top, std::u32string_view text, float points, Colour fill,
                      Colour edge) {
    const ShapedLine line = shapeCaptionLine(text);
    const double em = pixelsPerEm(points);
    if (!line.glyphs.empty()) {
        const double baseline = top + fonts::lineMetrics().ascent * em;
        const FT_F26Dot6 size = std::lround(em * 64);
        fonts::ThreadFaces& faces = fonts::threadFaces();
        const long edgeRadius = std::max(64L, std::lround(em * 64 / 20));
        FT_Stroker_Set(faces.stroker(), edgeRadius, FT_STROKER_LINECAP_ROUND, FT_STROKER_LINEJOIN_ROUND, 0);
        // Marks stacked above a capital, or hanging below the line, stay
        // well within two ems above the baseline and one below.
        const int bandTop = static_cast<int>(std::floor(baseline - 2 * em));
        Coverage coverage(raster, bandTop, static_cast<int>(std::ceil(3 * em)) + 2);
        std::vector<const PlacedGlyph*> emoji;
        for (const PlacedGlyph& g : line.glyphs) {
            FT_Face face = faces.face(g.font, size);
            if (!FT_IS_SCALABLE(face)) {
                emoji.push_back(&g);
                continue;
            }
            addOutlineGlyph(g.font, face, faces.stroker(), size, edgeRadius, g.glyph, quarterPixels(x + g.x * em),
                            quarterPixels(baseline - g.y * em), coverage);
        }
        coverage.paint(raster, fill, edge);
        for (const PlacedGlyph* g : emoji)
            drawEmoji(raster, faces.face(g->font, size), g->glyph, x + g->x * em, baseline - g->y * em, size);
    }
    return static_cast<float>(x + line.advance * em);
}

}  // namespace ts
