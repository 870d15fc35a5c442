#pragma once

// Full-width forms to their half-width ones, so that typed or pasted "１２，３４５" reads as
// "12,345": the full-width ASCII block, the ideographic space, the full-width yen (the
// backslash of code page 932) and the minus sign some input methods give.
inline char16_t halfWidth(char16_t c)
{
    if (c >= 0xFF01 && c <= 0xFF5E)
        return static_cast<char16_t>(c - 0xFEE0);
    switch (c) {
    case 0x3000:
        return u' ';
    case 0xFFE5:
        return u'\\';
    case 0x2212:
        return u'-';
    }
    return c;
}
