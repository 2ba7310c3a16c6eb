"""Code page 437: the Unicode code point each byte 1..255 shows.

Bytes 1..31 and 127 are the code page's graphic symbols (what a PC screen
shows for those bytes), not the control characters of the same numbers.
Byte 0 has no glyph and is left out.
"""

# Bytes 1..31, then 127.
_SYMBOLS = "☺☻♥♦♣♠•◘○◙♂♀♪♫☼►◄↕‼¶§▬↨↑↓→←∟↔▲▼"
_HOUSE = "⌂"

# Bytes 128..255, sixteen to a line. 255 is the no-break space.
_HIGH = (
    "ÇüéâäàåçêëèïîìÄÅ"  # 128..143
    "ÉæÆôöòûùÿÖÜ¢£¥₧ƒ"  # 144..159
    "áíóúñÑªº¿⌐¬½¼¡«»"  # 160..175
    "░▒▓│┤╡╢╖╕╣║╗╝╜╛┐"  # 176..191
    "└┴┬├─┼╞╟╚╔╩╦╠═╬╧"  # 192..207
    "╨╤╥╙╘╒╓╫╪┘┌█▄▌▐▀"  # 208..223
    "αßΓπΣσµτΦΘΩδ∞φε∩"  # 224..239
    "≡±≥≤⌠⌡÷≈°∙·√ⁿ²■\u00a0"  # 240..255
)


def _build():
    table = {}
    for byte, char in enumerate(_SYMBOLS, start=1):
        table[byte] = ord(char)
    for byte in range(32, 127):
        table[byte] = byte
    table[127] = ord(_HOUSE)
    for byte, char in enumerate(_HIGH, start=128):
        table[byte] = ord(char)
    return table


# UNICODE[byte] for byte 1..255.
UNICODE = _build()

assert len(_SYMBOLS) == 31 and len(_HIGH) == 128
assert sorted(UNICODE) == list(range(1, 256))
assert len(set(UNICODE.values())) == 255
