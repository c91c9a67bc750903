#pragma once

namespace quorvane::bench {

// Fills the favourites file under $XDG_DATA_HOME with 10,000 favourites and a full history
// from the generated 50,000 rows, once, so every window the figures open carries them.
void fillFavouriteLists();

} // namespace quorvane::bench
