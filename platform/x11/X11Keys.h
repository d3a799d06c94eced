#pragma once

#include <cstdint>

// Key symbols of the X keyboard turned into the layer's virtual-key codes and
// typed characters.
namespace platform {

// The virtual-key code of the key whose unshifted symbol is Sym; 0 for keys the
// program has no code for.
uint16_t VirtualKeyOf(unsigned long Sym);

// The character a key symbol types (after Shift and Num Lock), or 0.
char32_t CharOf(unsigned long Sym);

}  // namespace platform
