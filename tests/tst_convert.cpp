// Text and number conversions, and the run-time errors they raise.
#include "forms/error.h"
#include "forms/number_text.h"

#include <QTest>

#include <charconv>
#include <cstring>
#include <random>

#include <cfenv>
#include <cfloat>
#include <cmath>

using forms::ErrorNumber;

Q_DECLARE_METATYPE(ErrorNumber)

namespace {

std::u16string u16(const QString& s)
{
    return s.toStdU16String();
}

// The error number a call raises, or 0 when it raises none.
template <class F> int errorOf(F&& f)
{
    try {
        f();
    } catch (const forms::RuntimeError& e) {
        return static_cast<int>(e.number());
    }
    return 0;
}

} // namespace

class TestConvert : public QObject
{
    Q_OBJECT

private slots:
    void toDouble_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("value");
        QTest::newRow("zero") << "0" << 0.0;
        QTest::newRow("count") << "11" << 11.0;
        QTest::newRow("negative") << "-11" << -11.0;
        QTest::newRow("plus sign") << "+3" << 3.0;
        QTest::newRow("blanks around") << "  7 " << 7.0;
        QTest::newRow("ideographic blank") << QString::fromUtf16(u"\u30005") << 5.0;
        QTest::newRow("fraction") << "2.5" << 2.5;
        QTest::newRow("leading point") << ".5" << 0.5;
        QTest::newRow("exponent") << "1E3" << 1000.0;
        QTest::newRow("negative exponent") << "25e-1" << 2.5;
        QTest::newRow("D exponent") << "1D2" << 100.0;
        QTest::newRow("underflow is zero") << "1e-400" << 0.0;
        QTest::newRow("largest") << "1.7976931348623157e308" << DBL_MAX;
        // Whole numbers are read without from_chars up to 15 digits; both ways agree.
        QTest::newRow("leading zeros") << "007" << 7.0;
        QTest::newRow("15 digits") << "-999999999999999" << -999999999999999.0;
        QTest::newRow("16 digits") << "1234567890123456" << 1234567890123456.0;
        QTest::newRow("20 digits") << "12345678901234567890" << 12345678901234567890.0;
        QTest::newRow("minus zero") << "-0" << -0.0;
    }
    void toDouble()
    {
        QFETCH(QString, text);
        QFETCH(double, value);
        const double read = forms::toDouble(u16(text));
        QCOMPARE(read, value);
        QCOMPARE(std::signbit(read), std::signbit(value));
    }

    void toDoubleRejects_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<ErrorNumber>("error");
        QTest::newRow("empty") << "" << ErrorNumber::TypeMismatch;
        QTest::newRow("blank") << "   " << ErrorNumber::TypeMismatch;
        QTest::newRow("word") << "abc" << ErrorNumber::TypeMismatch;
        QTest::newRow("trailing garbage") << "12x" << ErrorNumber::TypeMismatch;
        QTest::newRow("sign only") << "-" << ErrorNumber::TypeMismatch;
        QTest::newRow("point only") << "." << ErrorNumber::TypeMismatch;
        QTest::newRow("two signs") << "--1" << ErrorNumber::TypeMismatch;
        QTest::newRow("inner blank") << "1 2" << ErrorNumber::TypeMismatch;
        QTest::newRow("exponent without digits") << "1e" << ErrorNumber::TypeMismatch;
        QTest::newRow("note name") << QString::fromUtf16(u"Ｃ") << ErrorNumber::TypeMismatch;
        QTest::newRow("fullwidth digit") << QString::fromUtf16(u"１") << ErrorNumber::TypeMismatch;
        QTest::newRow("nan") << "nan" << ErrorNumber::TypeMismatch;
        QTest::newRow("inf") << "inf" << ErrorNumber::TypeMismatch;
        QTest::newRow("hex") << "0x10" << ErrorNumber::TypeMismatch;
        QTest::newRow("too large") << "1e309" << ErrorNumber::Overflow;
        QTest::newRow("too large, many digits")
            << QString(400, QLatin1Char('9')) << ErrorNumber::Overflow;
    }
    void toDoubleRejects()
    {
        QFETCH(QString, text);
        QFETCH(ErrorNumber, error);
        QCOMPARE(errorOf([&] { forms::toDouble(u16(text)); }), static_cast<int>(error));
    }

    void toText_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("zero") << 0.0 << "0";
        QTest::newRow("negative zero") << -0.0 << "0";
        QTest::newRow("twelve") << 12.0 << "12";
        QTest::newRow("minus one") << -1.0 << "-1";
        QTest::newRow("minus twelve") << -12.0 << "-12";
        QTest::newRow("fraction") << 0.5 << "0.5";
        QTest::newRow("shortest") << 0.1 << "0.1";
        QTest::newRow("large") << 1e21 << "1E+21";
    }
    void toText()
    {
        QFETCH(double, value);
        QFETCH(QString, text);
        QCOMPARE(QString::fromStdU16String(forms::toText(value)), text);
    }

    void toTextIsTheShortestThatReadsBack()
    {
        // Against the standard library's shortest form, over values of every size.
        std::mt19937_64 random(20261208);
        int compared = 0;
        for (int i = 0; i < 200000; ++i) {
            double value;
            const std::uint64_t bits = random();
            std::memcpy(&value, &bits, sizeof value);
            if (i % 3 == 0)
                value = double(std::int64_t(random() % 2000001) - 1000000) /
                        double(1 + random() % 1000);
            if (!std::isfinite(value))
                continue;
            char buffer[64];
            const auto end = std::to_chars(buffer, buffer + sizeof buffer, value).ptr;
            QString expected = QString::fromLatin1(buffer, end - buffer).toUpper();
            if (expected == QLatin1String("-0"))
                expected = QStringLiteral("0");
            const std::u16string text = forms::toText(value);
            QCOMPARE(QString::fromStdU16String(text), expected);
            QCOMPARE(forms::toDouble(text), value == 0 ? 0.0 : value);
            ++compared;
        }
        QVERIFY(compared > 150000);
    }

    void roundTripOfCounts()
    {
        for (int n = -12; n <= 12; ++n)
            QCOMPARE(forms::toDouble(forms::toText(n)), double(n));
    }

    void checkedAdd()
    {
        QCOMPARE(forms::checkedAdd(11, 1), 12.0);
        QCOMPARE(forms::checkedAdd(-11, -1), -12.0);
        QCOMPARE(errorOf([] { forms::checkedAdd(DBL_MAX, DBL_MAX); }), int(ErrorNumber::Overflow));
        QCOMPARE(errorOf([] { forms::checkedAdd(INFINITY, -INFINITY); }),
                 int(ErrorNumber::Overflow));
        QCOMPARE(errorOf([] { forms::checkedAdd(INFINITY, 1); }), int(ErrorNumber::Overflow));
        // A flag left over from earlier work does not count against this addition.
        std::feraiseexcept(FE_OVERFLOW);
        QCOMPARE(forms::checkedAdd(1, 1), 2.0);
    }

    void floatStatus_data()
    {
        QTest::addColumn<int>("flags");
        QTest::addColumn<int>("error");
        QTest::newRow("none") << 0 << 0;
        QTest::newRow("inexact only") << int(FE_INEXACT) << 0;
        QTest::newRow("invalid") << int(FE_INVALID) << int(ErrorNumber::Overflow);
        QTest::newRow("overflow") << int(FE_OVERFLOW) << int(ErrorNumber::Overflow);
        QTest::newRow("division by zero") << int(FE_DIVBYZERO) << int(ErrorNumber::DivisionByZero);
    }
    void floatStatus()
    {
        QFETCH(int, flags);
        QFETCH(int, error);
        QCOMPARE(errorOf([&] { forms::raiseForFloatStatus(flags); }), error);
    }

    void toIndex_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<int>("index");
        QTest::addColumn<int>("error");
        QTest::newRow("whole") << 7.0 << 7 << 0;
        QTest::newRow("half to even, down") << 2.5 << 2 << 0;
        QTest::newRow("half to even, up") << 3.5 << 4 << 0;
        QTest::newRow("negative") << -1.0 << -1 << 0;
        QTest::newRow("beyond 16 bits") << 40000.0 << 0 << int(ErrorNumber::Overflow);
        QTest::newRow("nan") << double(NAN) << 0 << int(ErrorNumber::Overflow);
    }
    void toIndex()
    {
        QFETCH(double, value);
        QFETCH(int, index);
        QFETCH(int, error);
        int got = 0;
        QCOMPARE(errorOf([&] { got = forms::toIndex(value); }), error);
        if (error == 0)
            QCOMPARE(got, index);
    }

    void chr()
    {
        QCOMPARE(forms::chr(13), std::u16string(u"\r"));
        QCOMPARE(errorOf([] { forms::chr(-1); }), int(ErrorNumber::InvalidCall));
    }

    void reportText_data()
    {
        QTest::addColumn<ErrorNumber>("error");
        QTest::addColumn<QString>("text");
        QTest::newRow("type mismatch")
            << ErrorNumber::TypeMismatch
            << QString::fromUtf16(u"実行時エラー '13':\n\n型が一致しません。");
        QTest::newRow("subscript")
            << ErrorNumber::SubscriptOutOfRange
            << QString::fromUtf16(u"実行時エラー '9':\n\nインデックスが有効範囲にありません。");
        QTest::newRow("overflow") << ErrorNumber::Overflow
                                  << QString::fromUtf16(
                                         u"実行時エラー '6':\n\nオーバーフローしました。");
    }
    void reportText()
    {
        QFETCH(ErrorNumber, error);
        QFETCH(QString, text);
        QCOMPARE(QString::fromStdU16String(forms::reportText(forms::RuntimeError(error))), text);
    }
};

QTEST_APPLESS_MAIN(TestConvert)
#include "tst_convert.moc"
