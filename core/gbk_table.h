// GBK (code page 936), the two-byte Chinese encoding Windows programs write, to Unicode: the
// whole table, generated from a reference decoder by scripts/make_gbk_table.py.
#pragma once

namespace ym {

// The character of the pair `lead`, `trail` (lead 0x81 to 0xFE, trail 0x40 to 0xFE), or 0
// when the pair names none.
char16_t GbkCharacter(unsigned char lead, unsigned char trail);

} // namespace ym
