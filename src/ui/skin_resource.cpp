// The skin package, linked into the executable and registered as resource "SKINRES" 147.
// The archive is packed from skin/ at build time; the assembler pulls its bytes in with .incbin,
// so no generated source holds them. This object must be linked directly (it is an object
// library): nothing refers to it by name, and an archive member nobody refers to is dropped.
#include <cstddef>

#include "utils/resources.h"

#ifndef LUMETRAVOX_SKIN_ARCHIVE
#error "LUMETRAVOX_SKIN_ARCHIVE must name the packed skin archive"
#endif

asm(".section .rodata.lumetravox_skin,\"a\",@progbits\n"
    ".balign 16\n"
    "lumetravox_skin_begin:\n"
    ".incbin \"" LUMETRAVOX_SKIN_ARCHIVE
    "\"\n"
    "lumetravox_skin_end:\n"
    ".previous\n");

extern "C" const std::byte lumetravox_skin_begin[] asm("lumetravox_skin_begin");
extern "C" const std::byte lumetravox_skin_end[] asm("lumetravox_skin_end");

namespace {

const bool registered = Utils::RegisterResource(
    "SKINRES", 147, {lumetravox_skin_begin, static_cast<size_t>(lumetravox_skin_end - lumetravox_skin_begin)});

}  // namespace
