#include "BlendLoops.hpp"

blend::loops::Set blend::loops::sse2() { return {walk<Sse2, false>, walk<Sse2, true>}; }
