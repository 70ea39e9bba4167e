#pragma once

// How Qt blends glyphs into the screen, set once before the first font is
// used.
namespace GlyphBlending {

// Qt turns FreeType's stem darkening on for CFF faces, which the Noto CJK
// faces are, and then blends their glyphs through a gamma table, a lookup
// per pixel that makes a full practice screen several times slower to
// paint than the same text in a TrueType face. With darkening off, as
// FreeType itself has it by default, the CJK faces are blended like every
// other face; their strokes look the same weight.
void UsePlainBlending();

} // namespace GlyphBlending
