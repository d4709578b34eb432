// The hand-made number scanners against the C library's formatted input, on
// chosen nasty texts and on generated ones: every status, value and position
// must agree. SCAN_TEXTS sets how many generated texts each kind gets.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <random>

#include "tests/support/scan_comparison.hpp"
#include "textscan/number_scan.hpp"
#include "textscan/text_reader.hpp"

using namespace testing_support;
using namespace textscan;

namespace {

constexpr ScanKind ALL_KINDS[] = {ScanKind::Integer, ScanKind::SixDigitInteger, ScanKind::Double,
                                  ScanKind::DoubleThenSpace, ScanKind::Float};

const char* kind_name(ScanKind kind) {
    switch (kind) {
    case ScanKind::Integer:
        return "%d";
    case ScanKind::SixDigitInteger:
        return "%6d";
    case ScanKind::Double:
        return "%lf";
    case ScanKind::DoubleThenSpace:
        return "%lf ";
    case ScanKind::Float:
        return "%f";
    }
    return "?";
}

TEST(NumberScan, ChosenTextsReadAsTheLibraryReadsThem) {
#ifdef _WIN32
    GTEST_SKIP() << "the reference is the GNU C library's scanf, which Windows does not have";
#endif
    const std::vector<std::string> texts = {
        "     1     2    -3    +4 40000",
        "   012  0x1F 0X    0xg  08  -0x  +  - 1",
        "999999999999999999999 -99999999999999999999 4294967297 -2147483649",
        "9223372036854775807 9223372036854775808 -9223372036854775808 -9223372036854775809",
        "1234567", // six digits, then one
        "\t\n\v\f\r 5",
        "   1.000000000000000D+03   2.5E-01 .5 5. . -. +.e1 1e 1e+ 1E-x 1.2.3",
        "0.1 0.3 1e23 8.98846567431158e307 1.7976931348623157e308 1e309 -1e400",
        "4.9e-324 2.4703282292062327e-324 2.4703282292062328e-324 1e-400 -0 -0.0",
        "123456789012345678901234567890 0.000000000000000000000000000001",
        "9007199254740993 9007199254740992.5 0.30000000000000004 1.70141E+38",
        "inf -INF infinity Infinity infinite in nan NaN -nan nan(123) na",
        "0x1p3 0X1.8P-1 0x 0x. 0xp1 0x1p 0x1p+ -0x10 0x1.fffffffffffffp1023 0xe+1",
        "1e5e 1ee5 1e-5-3 ++1 -+1 0e999999 1e-999999 00000000000000000000001.5",
        std::string("12\0 34", 6),
        "\x80\xff 7",
        "1.70141e+38 -1423.9974488876 2174.057391469 0.150000E+04",
    };
    for (const std::string& text : texts) {
        for (const ScanKind kind : ALL_KINDS) {
            EXPECT_EQ(compare_scans(text, kind), "")
                << kind_name(kind) << " over \"" << text << "\"";
        }
    }
}

// Random texts made of the pieces numbers and their damage are made of.
class NastyText {
  public:
    explicit NastyText(std::uint32_t seed) : random_(seed) {}

    std::string next() {
        std::string text;
        const int pieces = pick(1, 24);
        for (int i = 0; i < pieces; ++i) {
            text += piece();
        }
        return text;
    }

  private:
    int pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random_); }

    std::string digits(int count) {
        std::string out;
        for (int i = 0; i < count; ++i) {
            out.push_back(static_cast<char>('0' + pick(0, 9)));
        }
        return out;
    }

    std::string formatted_double() {
        double value = 0;
        switch (pick(0, 3)) {
        case 0:
            value = std::uniform_real_distribution<double>(-5000, 5000)(random_);
            break;
        case 1: { // any bit pattern: subnormals, huge values, NaN payloads
            std::uint64_t bits = random_();
            bits = bits << 32 | random_();
            std::memcpy(&value, &bits, sizeof value);
            break;
        }
        default:
            value = std::ldexp(std::uniform_real_distribution<double>(1, 2)(random_),
                               pick(-1074, 1023));
            break;
        }
        static const char* const FORMATS[] = {"%.17g", "%.15g", "%g",   "%.6E",
                                              "%a",    "%.3f",  "%.0f", "%24.15E"};
        char buffer[400];
        std::snprintf(buffer, sizeof buffer, FORMATS[pick(0, 7)], value);
        return buffer;
    }

    std::string piece() {
        static const char* const WORDS[] = {
            "inf", "INF", "infinity", "Infinit", "in", "nan", "NaN", "na", "n",
            "i",   "0x",  "0X",       "x",       "e",  "E",   "e+",  "e-", "p",
            "P",   "p-",  ".",        "..",      "-",  "+",   "D",   "d",  "a",
            "f",   "F",   "0",        "00",      "07", "08",  "(",   ")",  "nan(1)"};
        static const char* const SPACES[] = {" ", "  ", "     ", "\t", "\n", "\r\n", "\v", "\f"};
        switch (pick(0, 9)) {
        case 0:
        case 1:
            return SPACES[pick(0, 7)];
        case 2: {
            const int word = pick(0, 36);
            return word == 36 ? std::string(1, '\0') : std::string(WORDS[word]);
        }
        case 3:
            return digits(pick(1, 6));
        case 4:
            return digits(pick(7, 40));
        case 5:
            return formatted_double();
        case 6: {
            static const char* const INTEGER_FORMATS[] = {"%6i", "%i", "%#o", "%#x", "%+i"};
            char buffer[32];
            std::snprintf(buffer, sizeof buffer, INTEGER_FORMATS[pick(0, 4)],
                          static_cast<int>(random_()));
            return buffer;
        }
        case 7:
            return std::string(1, static_cast<char>(pick(0, 255)));
        case 8:
            return std::to_string(static_cast<long long>(random_()) * pick(1, 1 << 30) *
                                  (pick(0, 1) ? 1 : -1));
        default: {
            std::string fraction(1, '.');
            fraction += digits(pick(0, 20));
            if (pick(0, 1) == 1) {
                fraction += 'e';
                fraction += digits(pick(0, 4));
            }
            return fraction;
        }
        }
    }

    std::mt19937 random_;
};

int generated_texts() {
    const char* setting = std::getenv("SCAN_TEXTS");
    return setting != nullptr ? std::atoi(setting) : 20000;
}

TEST(NumberScan, GeneratedTextsReadAsTheLibraryReadsThem) {
#ifdef _WIN32
    GTEST_SKIP() << "the reference is the GNU C library's scanf, which Windows does not have";
#endif
    const int count = generated_texts();
    long numbers = 0;
    for (const ScanKind kind : ALL_KINDS) {
        NastyText generator(static_cast<std::uint32_t>(kind) * 7919u + 1u);
        int failures = 0;
        for (int i = 0; i < count && failures < 10; ++i) {
            const std::string text = generator.next();
            const std::string difference = compare_scans(text, kind, &numbers);
            if (!difference.empty()) {
                ++failures;
                ADD_FAILURE() << kind_name(kind) << " over \"" << text << "\": " << difference;
            }
        }
    }
    RecordProperty("numbers_compared", std::to_string(numbers));
    std::printf("%ld numbers compared\n", numbers);
}

} // namespace

// Past 32 bits an integer keeps the low bits of the 64-bit long it
// saturates at, on every system (a long has 32 bits on Windows).
TEST(NumberScan, IntegersBeyond32BitsKeepTheLowBitsOfA64BitLong) {
    const std::pair<const char*, std::int32_t> cases[] = {{"9999999999", 1410065407},
                                                          {"-9999999999", -1410065407},
                                                          {"99999999999999999999", -1},
                                                          {"-99999999999999999999", 0}};
    for (const auto& [text, expected] : cases) {
        textscan::TextReader in(text, std::strlen(text));
        std::int32_t value = 0;
        EXPECT_EQ(textscan::scan_integer(in, 0, value), textscan::ScanStatus::ok);
        EXPECT_EQ(value, expected) << text;
    }
}

// Profiles as DEMs hold them, with the damage files carry: runs of numbers
// read many at a time must stop and go on exactly where single calls do.
TEST(NumberScan, IntegerRunsReadAsSingleCallsDo) {
#ifdef _WIN32
    GTEST_SKIP() << "the reference is the GNU C library's scanf, which Windows does not have";
#endif
    std::mt19937 random(2024);
    const auto pick = [&](int low, int high) {
        return std::uniform_int_distribution<int>(low, high)(random);
    };
    static const std::string ODD_PIECES[] = {
        "+5",  "-",    "--3",      "0",        "007",
        "09",  "0x1f", "1-2",      "\t",       "\r\n",
        "a",   ".",    "12345678", "-9999999", std::string(1, '\0'),
        "\xff"};
    NastyText nasty(99);
    const int count = generated_texts() / 4;
    for (int i = 0; i < count; ++i) {
        std::string text;
        if (i % 4 == 3) {
            text = nasty.next();
        } else {
            const int fields = pick(1, 300);
            for (int f = 0; f < fields; ++f) {
                char field[16];
                std::snprintf(field, sizeof field, "%6d", pick(-9999, 99999));
                text += field;
                if (pick(0, 60) == 0) {
                    text += ODD_PIECES[pick(0, 15)];
                }
            }
        }
        const std::string difference = compare_integer_runs(text);
        ASSERT_EQ(difference, "") << "over \"" << text << "\"";
    }
}

// The reader under the scanners: positions, seeks and copies across the
// blocks it reads a file in, and a byte put back across a block's edge.
TEST(TextReader, PositionsSeeksAndCopiesAcrossBlocks) {
    std::string bytes;
    for (int i = 0; i < 1000; ++i) {
        bytes.push_back(static_cast<char>('A' + i % 26));
    }
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::tmpfile(), &std::fclose);
    std::fwrite(bytes.data(), 1, bytes.size(), file.get());
    std::rewind(file.get());
    TextReader in(file.get(), 16);
    char copy[40] = {};
    ASSERT_EQ(in.read(copy, 15), 15u);
    EXPECT_EQ(in.get(), bytes[15]); // the last byte of the first block
    EXPECT_EQ(in.get(), bytes[16]); // the first of the next
    in.unget();
    EXPECT_EQ(in.tell(), 16);
    EXPECT_EQ(in.get(), bytes[16]);
    ASSERT_TRUE(in.seek(500));
    ASSERT_EQ(in.read(copy, 40), 40u);
    EXPECT_EQ(std::string(copy, 40), bytes.substr(500, 40));
    ASSERT_TRUE(in.seek(3)); // back, before the bytes held
    EXPECT_EQ(in.get(), bytes[3]);
    EXPECT_EQ(in.tell(), 4);
    ASSERT_TRUE(in.seek(998));
    EXPECT_EQ(in.read(copy, 40), 2u);
    EXPECT_EQ(in.get(), TextReader::END);
    EXPECT_EQ(in.tell(), 1000);

    TextReader memory(bytes.data(), bytes.size());
    EXPECT_FALSE(memory.seek(1001));
    ASSERT_TRUE(memory.seek(999));
    EXPECT_EQ(memory.get(), bytes[999]);
    EXPECT_EQ(memory.get(), TextReader::END);
}
