# Floating point of the 32-bit x86 builds: SSE2 scalar arithmetic, so that every
# float operation rounds to float as the x86_64 build's do (the x87 unit keeps
# extended precision and gives other bytes after truncation). SSE2 is in every
# x86 processor since 2003: the Windows program's minimum.
set(VELMORIN_I686_FLOAT_FLAGS -msse2 -mfpmath=sse)
