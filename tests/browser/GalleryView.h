// The gallery page's view as a reader of the page meets it: only the cards
// on or near the screen exist, so the whole view is read by scrolling
// through the list from its top to its end.
#pragma once

#include "ChromiumSession.h"

#include <string>
#include <vector>

namespace tessel::test {

struct GalleryView {
    std::vector<std::string> Maps;     // each card's data-map, in the view's order
    std::vector<std::string> Players;  // each card's data-players
    std::vector<std::string> CopyOf;   // each card's data-copy-of, or ""
    std::vector<std::string> Preview;  // where each card's minimap leads
    std::vector<std::string> Download;  // each card's download link, or "" without one
    // Cards whose image did not load or has no alt text (when images are awaited).
    std::vector<std::string> WithoutImage;
    std::size_t MostCards = 0;     // card elements on the page at once, at most
    std::size_t MostElements = 0;  // elements in the whole document at once, at most
};

// Waits until the page has its whole table of cards (#maps loses aria-busy).
void WaitForTable(ChromiumSession& browser);

// Reads the view by scrolling a screen at a time, then scrolls back to the
// top. Checks as it goes (as test failures) that the cards' places
// (aria-posinset) run from 1 to the count each card states (aria-setsize)
// with none missing, that no card carries hidden, and that each card lies
// after the one before it, to the right in its row or in a row below,
// without overlapping it.
GalleryView ReadView(ChromiumSession& browser, bool awaitImages = false);

// The layout shift that the page has had so far, as the browser measures
// it, leaving out shifts right after the user's input.
double LayoutShift(ChromiumSession& browser);

}  // namespace tessel::test
