// What the processor (and the system, for the wider registers) supports.
#pragma once

bool cpu_has_sse2();
// AVX2 instructions, and an operating system that saves the 256-bit registers.
bool cpu_has_avx2();
