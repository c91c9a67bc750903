#pragma once

namespace quorvane::FontFaces {

// Maps the Windows Chinese face names the windows use (宋体, 楷体_GB2312, ...) to the
// installed AR PL faces, with the HanaMin faces for the rare characters (CJK extension B) they
// lack. Call once after the application object exists.
void installSubstitutions();

} // namespace quorvane::FontFaces
