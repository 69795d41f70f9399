#include "GalleryView.h"

#include <gtest/gtest.h>

namespace tessel::test {

namespace {

// Collects every card once, by its place, with its box in page coordinates.
const char* const ReadViewScript = R"((async (awaitImages) => {
  const list = document.getElementById('maps');
  const frames = () => new Promise((done) => requestAnimationFrame(() => requestAnimationFrame(done)));
  const listTop = () => list.getBoundingClientRect().top + scrollY;
  const cards = new Map();
  let mostCards = 0, mostElements = 0;
  for (let y = 0; ; y += innerHeight) {
    scrollTo(0, y);
    await frames();
    mostCards = Math.max(mostCards, list.querySelectorAll('[data-map]').length);
    mostElements = Math.max(mostElements, document.getElementsByTagName('*').length);
    for (const card of list.querySelectorAll('[data-map]')) {
      const place = Number(card.getAttribute('aria-posinset'));
      if (cards.has(place))
        continue;
      const image = card.querySelector('img');
      if (awaitImages && !image.complete)
        await new Promise((done) => { image.onload = done; image.onerror = done; });
      const box = card.getBoundingClientRect();
      cards.set(place, {place, size: Number(card.getAttribute('aria-setsize')), map: card.dataset.map,
        players: card.dataset.players, hidden: card.hidden, copyOf: card.dataset.copyOf || '',
        preview: card.querySelector('.minimap').getAttribute('href'),
        download: card.querySelector('.download').hidden ? '' : card.querySelector('.download').getAttribute('href'),
        image: image.naturalWidth > 0 && image.alt.startsWith('Minimap of '),
        x: box.left, y: box.top + scrollY, width: box.width, height: box.height});
    }
    if (y + innerHeight >= listTop() + list.offsetHeight || y + innerHeight >= document.documentElement.scrollHeight)
      break;
  }
  scrollTo(0, 0);
  await frames();
  return {cards: [...cards.values()].sort((a, b) => a.place - b.place), mostCards, mostElements};
}))";

}  // namespace

void WaitForTable(ChromiumSession& browser)
{
    browser.Evaluate(R"(new Promise((done) => {
      const list = document.getElementById('maps');
      const check = () => list.hasAttribute('aria-busy') ? requestAnimationFrame(check) : done();
      check();
    }))");
}

GalleryView ReadView(ChromiumSession& browser, bool awaitImages)
{
    const json read = browser.Evaluate(std::string(ReadViewScript) + "(" + (awaitImages ? "true" : "false") + ")");
    GalleryView view;
    view.MostCards = read["mostCards"].get<std::size_t>();
    view.MostElements = read["mostElements"].get<std::size_t>();
    const json& cards = read["cards"];
    for (std::size_t k = 0; k < cards.size(); ++k) {
        const json& card = cards[k];
        const std::string map = card["map"].get<std::string>();
        EXPECT_EQ(card["place"], k + 1) << "no card at place " << k + 1 << " of the view, before " << map;
        EXPECT_EQ(card["size"], cards.size()) << map;
        EXPECT_EQ(card["hidden"], false) << map;
        if (k > 0) {
            const json& before = cards[k - 1];
            const double x = card["x"], y = card["y"], beforeX = before["x"], beforeY = before["y"];
            const bool rightOfIt = y == beforeY && x >= beforeX + before["width"].get<double>();
            const bool belowIt = y >= beforeY + before["height"].get<double>();
            EXPECT_TRUE(rightOfIt || belowIt) << map << " does not follow " << before["map"];
        }
        view.Maps.push_back(map);
        view.Players.push_back(card["players"].get<std::string>());
        view.CopyOf.push_back(card["copyOf"].get<std::string>());
        view.Preview.push_back(card["preview"].get<std::string>());
        view.Download.push_back(card["download"].get<std::string>());
        if (!card["image"].get<bool>())
            view.WithoutImage.push_back(map);
    }
    return view;
}

double LayoutShift(ChromiumSession& browser)
{
    return browser.Evaluate(R"(new Promise((done) => {
      let sum = 0;
      new PerformanceObserver((entries) => {
        for (const entry of entries.getEntries())
          if (!entry.hadRecentInput)
            sum += entry.value;
      }).observe({type: 'layout-shift', buffered: true});
      requestAnimationFrame(() => requestAnimationFrame(() => done(sum)));
    }))")
        .get<double>();
}

}  // namespace tessel::test
