#pragma once
// A pause of the calling thread, in milliseconds: the one wait the game makes
// outside the toolkit's event stream.
#include <cstdint>

void pause_milliseconds(uint32_t milliseconds);
