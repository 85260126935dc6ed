// Classes: exact decimal conversion of the 10-byte extended of the component stream's text form.
//
// Both directions work on the bytes with a small unsigned big integer, so the result does not depend on the
// machine's long double or its printf: printing gives the 21 significant digits nearest the exact value
// (ties to even), which is how the framework's text form prints, and reading gives the extended nearest the
// exact decimal value (ties to even). 21 digits tell every pair of extended values apart, so printing and
// reading back restores the bytes of every finite value.
#include "framework/core/ClassesText.h"

#include <algorithm>
#include <cmath>

namespace Classes {

namespace {

// An unsigned integer of any size, 32-bit limbs, least significant first, no zero limbs at the top.
class TBig {
public:
    TBig() = default;
    explicit TBig(uint64_t v) {
        while (v) {
            L.push_back(uint32_t(v));
            v >>= 32;
        }
    }
    bool IsZero() const { return L.empty(); }
    size_t BitLength() const {
        if (L.empty()) return 0;
        size_t n = (L.size() - 1) * 32;
        for (uint32_t top = L.back(); top; top >>= 1)
            ++n;
        return n;
    }
    uint64_t Low64() const {
        uint64_t v = 0;
        if (L.size() > 1) v = uint64_t(L[1]) << 32;
        if (!L.empty()) v |= L[0];
        return v;
    }
    void MulAdd(uint32_t mul, uint32_t add) {
        uint64_t carry = add;
        for (uint32_t& limb : L) {
            uint64_t t = uint64_t(limb) * mul + carry;
            limb = uint32_t(t);
            carry = t >> 32;
        }
        if (carry) L.push_back(uint32_t(carry));
        Trim();
    }
    // Divides in place and returns the remainder.
    uint32_t DivSmall(uint32_t div) {
        uint64_t rem = 0;
        for (size_t i = L.size(); i-- > 0;) {
            uint64_t cur = (rem << 32) | L[i];
            L[i] = uint32_t(cur / div);
            rem = cur % div;
        }
        Trim();
        return uint32_t(rem);
    }
    void ShiftLeft(size_t bits) {
        if (IsZero() || bits == 0) return;
        size_t rest = bits % 32;
        if (rest) {
            uint32_t carry = 0;
            for (uint32_t& limb : L) {
                uint32_t next = limb >> (32 - rest);
                limb = (limb << rest) | carry;
                carry = next;
            }
            if (carry) L.push_back(carry);
        }
        L.insert(L.begin(), bits / 32, 0u);
    }
    friend int Compare(const TBig& a, const TBig& b) {
        if (a.L.size() != b.L.size()) return a.L.size() < b.L.size() ? -1 : 1;
        for (size_t i = a.L.size(); i-- > 0;)
            if (a.L[i] != b.L[i]) return a.L[i] < b.L[i] ? -1 : 1;
        return 0;
    }
    friend TBig Multiply(const TBig& a, const TBig& b) {
        TBig r;
        if (a.IsZero() || b.IsZero()) return r;
        r.L.assign(a.L.size() + b.L.size(), 0u);
        for (size_t i = 0; i < a.L.size(); ++i) {
            uint64_t carry = 0;
            for (size_t j = 0; j < b.L.size(); ++j) {
                uint64_t t = uint64_t(a.L[i]) * b.L[j] + r.L[i + j] + carry;
                r.L[i + j] = uint32_t(t);
                carry = t >> 32;
            }
            r.L[i + b.L.size()] = uint32_t(carry);
        }
        r.Trim();
        return r;
    }
    // num / den (den not zero); num becomes the remainder. Long division with 32-bit digits, each quotient
    // digit estimated from the top two digits and corrected (Knuth's algorithm D).
    friend TBig Divide(TBig& num, const TBig& den) {
        TBig q;
        if (Compare(num, den) < 0) return q;
        const uint64_t b = uint64_t(1) << 32;
        size_t n = den.L.size(), m = num.L.size();
        if (n == 1) {
            q.L.assign(m, 0u);
            uint64_t rem = 0;
            for (size_t j = m; j-- > 0;) {
                uint64_t cur = (rem << 32) | num.L[j];
                q.L[j] = uint32_t(cur / den.L[0]);
                rem = cur % den.L[0];
            }
            q.Trim();
            num = TBig(rem);
            return q;
        }
        // Normalize: shift both so that the divisor's top digit has its top bit set.
        int s = 0;
        for (uint32_t top = den.L.back(); !(top & 0x80000000u); top <<= 1)
            ++s;
        std::vector<uint32_t> vn(n), un(m + 1);
        for (size_t i = n - 1; i > 0; --i)
            vn[i] = (den.L[i] << s) | uint32_t(uint64_t(den.L[i - 1]) >> (32 - s));
        vn[0] = den.L[0] << s;
        un[m] = uint32_t(uint64_t(num.L[m - 1]) >> (32 - s));
        for (size_t i = m - 1; i > 0; --i)
            un[i] = (num.L[i] << s) | uint32_t(uint64_t(num.L[i - 1]) >> (32 - s));
        un[0] = num.L[0] << s;
        q.L.assign(m - n + 1, 0u);
        for (size_t j = m - n + 1; j-- > 0;) {
            uint64_t top = (uint64_t(un[j + n]) << 32) | un[j + n - 1];
            uint64_t qhat = top / vn[n - 1], rhat = top % vn[n - 1];
            while (qhat >= b || qhat * vn[n - 2] > ((rhat << 32) | un[j + n - 2])) {
                --qhat;
                rhat += vn[n - 1];
                if (rhat >= b) break;
            }
            // un[j .. j+n] -= qhat x vn
            int64_t borrow = 0;
            uint64_t carry = 0;
            for (size_t i = 0; i < n; ++i) {
                uint64_t p = qhat * vn[i] + carry;
                carry = p >> 32;
                int64_t t = int64_t(un[i + j]) - int64_t(uint32_t(p)) - borrow;
                un[i + j] = uint32_t(t);
                borrow = t < 0;
            }
            int64_t t = int64_t(un[j + n]) - int64_t(carry) - borrow;
            un[j + n] = uint32_t(t);
            if (t < 0) { // qhat was one too large: add the divisor back
                --qhat;
                uint64_t c = 0;
                for (size_t i = 0; i < n; ++i) {
                    uint64_t sum = uint64_t(un[i + j]) + vn[i] + c;
                    un[i + j] = uint32_t(sum);
                    c = sum >> 32;
                }
                un[j + n] = uint32_t(un[j + n] + c);
            }
            q.L[j] = uint32_t(qhat);
        }
        q.Trim();
        num.L.assign(n, 0u);
        for (size_t i = 0; i < n; ++i)
            num.L[i] = (un[i] >> s) | uint32_t(s ? uint64_t(un[i + 1]) << (32 - s) : 0);
        num.Trim();
        return q;
    }

private:
    void Trim() {
        while (!L.empty() && L.back() == 0)
            L.pop_back();
    }
    std::vector<uint32_t> L;
};

// 10^n. The powers 10^(32 i) up to 10^5120 are kept once computed (about 170 KB), so that even the largest
// exponents of the extended (about 10^4951) cost one short multiplication.
TBig Pow10(unsigned n) {
    constexpr unsigned kStep = 32, kCount = 161;
    static const std::vector<TBig> kTable = [] {
        std::vector<TBig> t{TBig(1)};
        for (unsigned i = 1; i < kCount; ++i) {
            TBig p = t.back();
            for (int k = 0; k < 4; ++k)
                p.MulAdd(100000000u, 0); // x 10^32
            t.push_back(std::move(p));
        }
        return t;
    }();
    TBig r(1);
    for (; n >= kStep * (kCount - 1); n -= kStep * (kCount - 1))
        r = Multiply(r, kTable.back());
    static const uint32_t kSmall[] = {1, 10, 100, 1000, 10000, 100000, 1000000, 10000000, 100000000};
    TBig small(1);
    for (unsigned k = n % kStep; k; k -= std::min(k, 8u))
        small.MulAdd(kSmall[std::min(k, 8u)], 0);
    return Multiply(Multiply(r, kTable[n / kStep]), small);
}

void MulPow10(TBig& v, unsigned n) {
    if (n) v = Multiply(v, Pow10(n));
}

// Rounds q (with remainder rem of divisor den) to nearest, ties to even: returns whether to add one.
bool RoundUp(const TBig& q, const TBig& rem, const TBig& den) {
    TBig twice = rem;
    twice.ShiftLeft(1);
    int c = Compare(twice, den);
    return c > 0 || (c == 0 && (q.Low64() & 1));
}

String DecimalDigits(TBig v) {
    String s;
    do {
        uint32_t chunk = v.DivSmall(1000000000u);
        for (int i = 0; i < 9; ++i) {
            s.insert(s.begin(), char('0' + chunk % 10));
            chunk /= 10;
        }
    } while (!v.IsZero());
    size_t nz = s.find_first_not_of('0');
    return nz == String::npos ? "0" : s.substr(nz);
}

void PutExtended(uint8_t out[10], bool negative, unsigned exp, uint64_t mant) {
    for (int i = 0; i < 8; ++i)
        out[i] = uint8_t(mant >> (8 * i));
    unsigned se = exp | (negative ? 0x8000u : 0u);
    out[8] = uint8_t(se);
    out[9] = uint8_t(se >> 8);
}

} // namespace

String ExtendedToStr(const uint8_t bytes[10]) {
    uint64_t mant = 0;
    for (int i = 7; i >= 0; --i)
        mant = (mant << 8) | bytes[i];
    unsigned se = unsigned(bytes[8]) | unsigned(bytes[9]) << 8;
    bool negative = (se & 0x8000) != 0;
    int exp = int(se & 0x7FFF);
    const size_t kWidth = 29; // the width of " 1.50000000000000000000E+0000"
    if (exp == 0x7FFF) {
        String word = (mant << 1) != 0 ? "Nan" : negative ? "-Inf" : "+Inf";
        return String(kWidth - word.size(), ' ') + word;
    }
    String sign = negative ? "-" : " ";
    if (mant == 0) return sign + "0.00000000000000000000E+0000";

    // 1. value = mant x 2^e2 (an exponent field of 0 scales as 1 does, without the integer bit).
    int e2 = (exp == 0 ? 1 : exp) - 16383 - 63;
    // 2. Estimate the decimal exponent k, then correct it until value / 10^(k-20), rounded, has 21 digits.
    int k = int(std::floor((std::log2(double(mant)) + e2) * 0.30102999566398119521));
    for (;;) {
        int s = k - 20;
        TBig num(mant), den(1);
        if (e2 > 0) num.ShiftLeft(size_t(e2));
        if (e2 < 0) den.ShiftLeft(size_t(-e2));
        if (s < 0) MulPow10(num, unsigned(-s));
        if (s > 0) MulPow10(den, unsigned(s));
        TBig q = Divide(num, den);
        if (RoundUp(q, num, den)) q.MulAdd(1, 1);
        String digits = DecimalDigits(q);
        if (digits.size() != 21) {
            k += digits.size() > 21 ? 1 : -1;
            continue;
        }
        String e = std::to_string(k < 0 ? -k : k);
        e.insert(0, 4 - std::min<size_t>(4, e.size()), '0');
        return sign + digits.substr(0, 1) + "." + digits.substr(1) + "E" + (k < 0 ? "-" : "+") + e;
    }
}

bool StrToExtended(std::string_view text, uint8_t out[10]) {
    // 1. Syntax: [sign] digits [. digits] [e [sign] digits], at least one digit in the mantissa.
    size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
    String digits; // significant digits, without leading zeros
    int64_t exp10 = 0;
    bool anyDigit = false, sticky = false;
    const size_t kMaxDigits = 20000; // more than the longest halfway point between two extended values
    auto isDigit = [&](size_t j) { return j < text.size() && text[j] >= '0' && text[j] <= '9'; };
    auto take = [&](char c, bool afterPoint) {
        anyDigit = true;
        if (digits.empty() && c == '0') {
            if (afterPoint) --exp10;
            return;
        }
        if (digits.size() < kMaxDigits) {
            digits.push_back(c);
            if (afterPoint) --exp10;
        } else {
            if (c != '0') sticky = true;
            if (!afterPoint) ++exp10;
        }
    };
    for (; isDigit(i); ++i)
        take(text[i], false);
    if (i < text.size() && text[i] == '.')
        for (++i; isDigit(i); ++i)
            take(text[i], true);
    if (!anyDigit) return false;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        bool expNegative = false;
        if (i < text.size() && (text[i] == '-' || text[i] == '+')) expNegative = text[i++] == '-';
        if (!isDigit(i)) return false;
        int64_t e = 0;
        for (; isDigit(i); ++i)
            e = std::min<int64_t>(e * 10 + (text[i] - '0'), 1000000000);
        exp10 += expNegative ? -e : e;
    }
    if (i != text.size()) return false;
    if (sticky) { // a digit beyond the kept ones was not zero: a final 1 stands for it in the rounding
        digits.push_back('1');
        --exp10;
    }
    if (digits.empty()) {
        PutExtended(out, negative, 0, 0);
        return true;
    }
    // 2. Far outside the range: infinity or zero, without building huge numbers.
    int64_t magnitude = exp10 + int64_t(digits.size()); // value < 10^magnitude
    if (magnitude > 4934) {
        PutExtended(out, negative, 0x7FFF, uint64_t(1) << 63);
        return true;
    }
    if (magnitude < -4960) {
        PutExtended(out, negative, 0, 0);
        return true;
    }
    // 3. value = num / den exactly.
    TBig num, den(1);
    for (char c : digits)
        num.MulAdd(10, uint32_t(c - '0'));
    if (exp10 > 0) MulPow10(num, unsigned(exp10));
    if (exp10 < 0) MulPow10(den, unsigned(-exp10));
    // 4. Scale by 2^sh so that the quotient has 65 bits: 64 for the mantissa, one for rounding.
    auto quotient = [&](int64_t sh, TBig& rem) {
        TBig n = num, d = den;
        if (sh > 0) n.ShiftLeft(size_t(sh));
        if (sh < 0) d.ShiftLeft(size_t(-sh));
        TBig q = Divide(n, d);
        rem = n;
        return q;
    };
    int64_t sh = 65 - (int64_t(num.BitLength()) - int64_t(den.BitLength()));
    TBig rem, q;
    for (;;) {
        q = quotient(sh, rem);
        size_t bits = q.BitLength();
        if (bits == 65) break;
        sh += 65 - int64_t(bits);
    }
    // value = q x 2^-sh with 2^64 <= q < 2^65, so its unbiased exponent is 64 - sh.
    int64_t biased = 64 - sh + 16383;
    if (biased < 1) {
        // 5. A denormal: mantissa = value x 2^16445, rounded; take one extra bit for the rounding.
        q = quotient(16446, rem);
        uint64_t m = q.Low64() >> 1;
        bool half = q.Low64() & 1, rest = !rem.IsZero();
        if (half && (rest || (m & 1))) ++m;
        if (m >> 63) // rounded up to the smallest normal
            PutExtended(out, negative, 1, m);
        else
            PutExtended(out, negative, 0, m);
        return true;
    }
    // 6. A normal value: drop the rounding bit, ties to even.
    uint64_t low = q.Low64(); // the low 64 of 65 bits; the top bit is the integer bit, known to be 1
    uint64_t m = (low >> 1) | (uint64_t(1) << 63);
    bool half = low & 1, rest = !rem.IsZero();
    if (half && (rest || (m & 1))) {
        if (++m == 0) { // carried out of 64 bits
            m = uint64_t(1) << 63;
            ++biased;
        }
    }
    if (biased >= 0x7FFF) {
        PutExtended(out, negative, 0x7FFF, uint64_t(1) << 63);
        return true;
    }
    PutExtended(out, negative, unsigned(biased), m);
    return true;
}

} // namespace Classes
