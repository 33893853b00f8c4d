#pragma once
// Exact money: a 64-bit count of ten-thousandths, the four decimals a stored
// amount keeps. No double ever reaches storage; sums and splits stay exact.
#include <QString>
#include <QtGlobal>
#include <optional>

namespace tolvaris {

class Money {
public:
    static constexpr qint64 kScale = 10000;

    constexpr Money() = default;
    static constexpr Money fromUnits(qint64 tenThousandths) { Money m; m.v_ = tenThousandths; return m; }
    static constexpr Money fromWhole(qint64 yuan) { return fromUnits(yuan * kScale); }

    constexpr qint64 units() const { return v_; }
    constexpr bool isZero() const { return v_ == 0; }
    double toDouble() const { return double(v_) / double(kScale); }

    // Parses what a user types: optional minus, digits, at most one decimal
    // point; surrounding blanks are ignored, an empty text is zero. More than
    // four decimals are rounded half away from zero. nullopt for anything else.
    static std::optional<Money> parse(const QString &text);

    // Rounded to two decimals, halves away from zero.
    Money roundedToCents() const;

    // The text amount fields show while edited and that saves write: at most
    // two decimals (rounded), no separators, trailing zeros dropped, "" for zero.
    QString plainText() const;
    // Two decimals with thousands separators: "1,234.50"; "0.00" for zero.
    QString displayText() const;
    // Two decimals, no separators: "1234.50".
    QString fixedText() const;

    // this × percent / 100, exact, rounded to two decimals half away from zero.
    // percent is the decimal text of a ratio ("12.5"); nullopt when it is not a number.
    std::optional<Money> percentOf(const QString &percent) const;

    friend constexpr Money operator+(Money a, Money b) { return fromUnits(a.v_ + b.v_); }
    friend constexpr Money operator-(Money a, Money b) { return fromUnits(a.v_ - b.v_); }
    Money &operator+=(Money o) { v_ += o.v_; return *this; }
    friend constexpr bool operator==(Money a, Money b) { return a.v_ == b.v_; }
    friend constexpr auto operator<=>(Money a, Money b) { return a.v_ <=> b.v_; }

private:
    qint64 v_ = 0;
};

// Parses a plain decimal ("12.5", "-3", ".5") into numerator and power of ten.
// Used for ratios; refuses anything but an optional minus, digits and one point.
struct Decimal {
    qint64 mantissa = 0;  // value = mantissa / 10^scale
    int scale = 0;
    static std::optional<Decimal> parse(const QString &text);
};

} // namespace tolvaris
