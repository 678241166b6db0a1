// What a frame shows: the levels' result, or where its red, green and blue
// channels clip. The values are those of the "View" popup.
#pragma once

#include <cstdint>

namespace Ombrix::Levels {

// A channel clips in the shadows where its final value equals the final value
// of the darkest input (0), and in the highlights where it equals that of the
// brightest in-range input (255, 32768 or 1.0). Shadow Clipping shows each
// clipping channel at 0 and every other channel at full (white where nothing
// clips); Highlight Clipping shows each clipping channel at full and every
// other one at 0 (black where nothing clips). Alpha keeps its mapped value.
enum class ClipView : int {
    Result = 1,
    ShadowClipping = 2,
    HighlightClipping = 3,
};

// The popup's value as a view; values it cannot hold show the result.
inline ClipView clipViewOfPopup(long value) {
    switch (value) {
        case 2: return ClipView::ShadowClipping;
        case 3: return ClipView::HighlightClipping;
        default: return ClipView::Result;
    }
}

// Entries [0, entries) of one channel's table in `view`: a channel clips where
// its entry equals `darkest` (Shadow Clipping) or `brightest` (Highlight
// Clipping). The Result view leaves the table as it is.
template <typename Code>
void applyClipView(ClipView view, Code* table, int entries, Code darkest, Code brightest, Code full) {
    if (view == ClipView::Result) return;
    const bool shadows = view == ClipView::ShadowClipping;
    for (int k = 0; k < entries; ++k) {
        const bool clips = table[k] == (shadows ? darkest : brightest);
        table[k] = shadows ? (clips ? Code(0) : full) : (clips ? full : Code(0));
    }
}

}  // namespace Ombrix::Levels
