// zorbe-tool pack's reader of quiz sources written in TOML.
#include "tools/quiz_toml.h"

#include "platform/codepage.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string_view>

// Parse failures come back as results, like every other failure here.
#define TOML_EXCEPTIONS 0
#include <toml++/toml.h>

namespace {

// Resource identifiers of a question's media (question numbers from 1).
constexpr int questionMediaBase = 400;
constexpr int answerPictureBase = 10400;

struct NamedValue {
    const char* name;
    int value;
};
constexpr NamedValue quizModes[] = {{"list", 0}, {"pictures", 1}, {"audio", 2}, {"video", 3}};
constexpr NamedValue revealModes[] = {{"none", 0},         {"picture", 1},
                                      {"comment", 2},      {"comment-and-picture", 3},
                                      {"all-comments", 4}, {"word-count", 5}};

constexpr const char* topLevelKeys[] = {"title",  "author",  "explanation", "column1",    "column2",
                                        "mode",   "answers", "reveal",      "background", "link",
                                        "footer", "codes",   "question"};
constexpr const char* questionKeys[] = {"answer1", "answer2",        "text", "comment",
                                        "picture", "answer_picture", "clip"};

int lineOf(const toml::node& node) {
    return static_cast<int>(node.source().begin.line);
}

bool isOneOf(std::string_view key, const char* const* names, size_t count) {
    for (size_t i = 0; i < count; ++i) {
        if (key == names[i])
            return true;
    }
    return false;
}

// The first character of a UTF-8 text without a Windows-1252 form.
std::string firstUnrepresentable(const std::string& utf8) {
    size_t i = 0;
    while (i < utf8.size()) {
        unsigned char lead = static_cast<unsigned char>(utf8[i]);
        size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        std::string one = utf8.substr(i, length);
        std::string ansi;
        if (!codepage::fromUtf8(one, ansi))
            return one;
        i += length;
    }
    return {};
}

// A text of the quiz, converted to the player's Windows-1252 bytes.
bool readText(const toml::node& node, const std::string& field, QuizReport& report,
              std::string& ansi) {
    report.saw(field, lineOf(node));
    const toml::value<std::string>* value = node.as_string();
    if (!value) {
        report.error(lineOf(node), field, "must be a text");
        return false;
    }
    if (!codepage::fromUtf8(value->get(), ansi)) {
        report.error(lineOf(node), field,
                     "holds \"" + firstUnrepresentable(value->get()) +
                         "\", which has no Windows-1252 form");
        return false;
    }
    return true;
}

void readOptionalText(const toml::table& table, const char* key, const std::string& field,
                      QuizReport& report, std::string& ansi) {
    if (const toml::node* node = table.get(key))
        readText(*node, field, report, ansi);
}

void readNamed(const toml::table& table, const char* key, const NamedValue* names, size_t count,
               QuizReport& report, int& value) {
    const toml::node* node = table.get(key);
    if (!node)
        return;
    report.saw(key, lineOf(*node));
    const toml::value<std::string>* text = node->as_string();
    if (text) {
        for (size_t i = 0; i < count; ++i) {
            if (text->get() == names[i].name) {
                value = names[i].value;
                return;
            }
        }
    }
    std::string choices;
    for (size_t i = 0; i < count; ++i)
        choices += std::string(i ? ", " : "") + "\"" + names[i].name + "\"";
    report.error(lineOf(*node), key, "must be one of " + choices);
}

void readBackground(const toml::table& table, QuizReport& report, QuizSource& source) {
    const toml::node* node = table.get("background");
    if (!node)
        return;
    const toml::array* array = node->as_array();
    uint8_t components[3] = {};
    bool valid = array && array->size() == 3;
    for (size_t i = 0; valid && i < 3; ++i) {
        const toml::value<int64_t>* component = array->get(i)->as_integer();
        valid = component && component->get() >= 0 && component->get() <= 255;
        if (valid)
            components[i] = static_cast<uint8_t>(component->get());
    }
    if (!valid) {
        report.error(lineOf(*node), "background",
                     "must be [red, green, blue], each a whole number from 0 to 255");
        return;
    }
    source.backgroundRed = components[0];
    source.backgroundGreen = components[1];
    source.backgroundBlue = components[2];
}

void readCodes(const toml::table& table, QuizReport& report, QuizSource& source) {
    const toml::node* node = table.get("codes");
    if (!node)
        return;
    report.saw("codes", lineOf(*node));
    const toml::array* array = node->as_array();
    if (!array) {
        report.error(lineOf(*node), "codes", "must be a list of texts");
        return;
    }
    for (size_t i = 0; i < array->size(); ++i) {
        std::string code;
        readText(*array->get(i), "codes[" + std::to_string(i + 1) + "]", report, code);
        source.codes.push_back(code);
    }
}

void readMediaPath(const toml::table& question, const char* key, const std::string& prefix, int id,
                   bool answerPicture, QuizReport& report, std::vector<QuizMediaFile>& media) {
    const toml::node* node = question.get(key);
    if (!node)
        return;
    const toml::value<std::string>* value = node->as_string();
    if (!value || value->get().empty()) {
        report.error(lineOf(*node), prefix + key, "must be the path of a file");
        return;
    }
    media.push_back({prefix + key, value->get(), lineOf(*node), id, answerPicture});
}

void readQuestions(const toml::table& table, QuizReport& report, QuizSource& source,
                   std::vector<QuizMediaFile>& media) {
    const toml::node* node = table.get("question");
    if (!node)
        return;
    report.saw("question", lineOf(*node));
    const toml::array* array = node->as_array();
    if (!array || !array->is_array_of_tables()) {
        report.error(lineOf(*node), "question", "must be written as [[question]] tables");
        return;
    }
    for (size_t i = 0; i < array->size(); ++i) {
        const toml::table& entry = *array->get(i)->as_table();
        const std::string prefix = "question[" + std::to_string(i + 1) + "].";
        const int number = static_cast<int>(i) + 1;
        for (auto&& [key, value] : entry) {
            if (!isOneOf(key.str(), questionKeys, std::size(questionKeys)))
                report.error(lineOf(value), prefix + std::string(key.str()), "unknown key");
        }
        SourceQuestion question;
        if (const toml::node* answer = entry.get("answer1"))
            readText(*answer, prefix + "answer1", report, question.answer1);
        else
            report.error(lineOf(entry), prefix + "answer1", "missing: every question has one");
        if (const toml::node* answer = entry.get("answer2"))
            readText(*answer, prefix + "answer2", report, question.answer2);
        else if (source.answersPerQuestion == 2)
            report.error(lineOf(entry), prefix + "answer2",
                         "missing: the quiz has two answers per question (\"-\" for none)");
        readOptionalText(entry, "text", prefix + "text", report, question.questionText);
        readOptionalText(entry, "comment", prefix + "comment", report, question.comment);
        source.questions.push_back(question);

        const bool pictures = source.quizMode == 1;
        const bool clips = source.quizMode == 2 || source.quizMode == 3;
        const bool answerPictures = source.revealMode == 1 || source.revealMode == 3;
        const struct {
            const char* key;
            bool allowed;
            const char* reason;
            int id;
            bool answerPicture;
        } mediaKeys[] = {
            {"picture", pictures, "pictures are shown only in the pictures mode",
             questionMediaBase + number, false},
            {"answer_picture", pictures && answerPictures,
             "answer pictures are shown only in the pictures mode with the reveal modes "
             "picture and comment-and-picture",
             answerPictureBase + number, true},
            {"clip", clips, "clips are played only in the audio and video modes",
             questionMediaBase + number, false},
        };
        for (const auto& mediaKey : mediaKeys) {
            const toml::node* path = entry.get(mediaKey.key);
            if (path && !mediaKey.allowed)
                report.error(lineOf(*path), prefix + mediaKey.key, mediaKey.reason);
            else
                readMediaPath(entry, mediaKey.key, prefix, mediaKey.id, mediaKey.answerPicture,
                              report, media);
        }
    }
}

// The TOML library of the build machines (toml++ 3.3) classifies some
// non-ASCII characters as whitespace or not through a table with holes,
// and reaching a hole is undefined behaviour. It asks wherever it reads
// outside strings (keys, bare values, and whatever a broken file puts
// there) and after backslashes in multi-line strings, so an accented letter
// in any of those places triggers it. The parser is therefore given only
// ASCII: non-ASCII characters in strings are written as the escapes \uXXXX
// or \UXXXXXXXX, which stand for the same text (literal strings, which have
// no escapes, become basic strings of the same text), those of comments
// become '?', and those anywhere else, and bytes that are not UTF-8, are
// refused here with their line, as TOML refuses them anyway.
struct UnsafeCharacter {
    int line = 0;
    std::string description;
};

// Length of the UTF-8 sequence at text[i] and its code point; 0 when the
// bytes there are not one.
size_t utf8Sequence(const std::string& text, size_t i, uint32_t& codePoint) {
    const unsigned char lead = static_cast<unsigned char>(text[i]);
    size_t length = 0;
    uint32_t minimum = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        codePoint = lead & 0x1F;
        minimum = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        codePoint = lead & 0x0F;
        minimum = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        codePoint = lead & 0x07;
        minimum = 0x10000;
    } else {
        return 0;
    }
    if (text.size() - i < length)
        return 0;
    for (size_t k = 1; k < length; ++k) {
        const unsigned char next = static_cast<unsigned char>(text[i + k]);
        if ((next & 0xC0) != 0x80)
            return 0;
        codePoint = codePoint << 6 | (next & 0x3F);
    }
    if (codePoint < minimum || codePoint > 0x10FFFF || (codePoint >= 0xD800 && codePoint <= 0xDFFF))
        return 0;
    return length;
}

bool isNonAscii(char c) {
    return static_cast<unsigned char>(c) >= 0x80;
}

// The number of characters q in a row from text[i].
size_t runOf(const std::string& text, size_t i, char q) {
    size_t n = 0;
    while (i + n < text.size() && text[i + n] == q)
        ++n;
    return n;
}

bool escapeForParser(const std::string& text, std::string& safe, UnsafeCharacter& unsafe) {
    enum class Place { outside, comment, basic, multiLineBasic, literal, multiLineLiteral };
    Place place = Place::outside;
    int line = 1;
    safe.clear();
    safe.reserve(text.size());
    size_t i = 0;
    // A byte order mark is the parser's to skip.
    if (text.compare(0, 3, "\xEF\xBB\xBF") == 0) {
        safe.append(text, 0, 3);
        i = 3;
    }
    auto refuse = [&](size_t at, size_t length, const std::string& what) {
        unsafe.line = line;
        unsafe.description = "'" + text.substr(at, length) + "' " + what;
        return false;
    };
    auto closes = [](Place at) {
        return at == Place::multiLineBasic || at == Place::basic ? '"' : '\'';
    };
    while (i < text.size()) {
        const char c = text[i];
        if (c == '\n') {
            ++line;
            // Single-line strings and comments end with their line.
            if (place != Place::multiLineBasic && place != Place::multiLineLiteral)
                place = Place::outside;
            safe += c;
            ++i;
            continue;
        }
        if (isNonAscii(c)) {
            uint32_t codePoint = 0;
            const size_t length = utf8Sequence(text, i, codePoint);
            if (length == 0) {
                char byte[8];
                std::snprintf(byte, sizeof byte, "%02X", static_cast<unsigned char>(c));
                unsafe.line = line;
                unsafe.description = std::string("byte ") + byte + " is not UTF-8";
                return false;
            }
            if (place == Place::outside)
                return refuse(i, length,
                              "outside a string or comment, where TOML takes ASCII only");
            if (place == Place::comment) {
                safe += '?';
            } else {
                char escape[16];
                std::snprintf(escape, sizeof escape, codePoint > 0xFFFF ? "\\U%08X" : "\\u%04X",
                              static_cast<unsigned>(codePoint));
                safe += escape;
            }
            i += length;
            continue;
        }
        switch (place) {
        case Place::outside:
            if (c == '#') {
                place = Place::comment;
            } else if (c == '"' || c == '\'') {
                // Literal strings are given as basic strings.
                const bool multiLine = runOf(text, i, c) >= 3;
                place = c == '"' ? (multiLine ? Place::multiLineBasic : Place::basic)
                                 : (multiLine ? Place::multiLineLiteral : Place::literal);
                safe.append(multiLine ? 3 : 1, '"');
                i += multiLine ? 3 : 1;
                continue;
            }
            break;
        case Place::comment: break;
        case Place::basic:
        case Place::multiLineBasic:
            if (c == '\\' && i + 1 < text.size() && text[i + 1] != '\n') {
                // An escape: the character after the backslash is the
                // parser's to judge, but it must be ASCII.
                if (isNonAscii(text[i + 1])) {
                    uint32_t codePoint = 0;
                    const size_t length = utf8Sequence(text, i + 1, codePoint);
                    return refuse(i + 1, length ? length : 1,
                                  "after a backslash, where TOML expects an escape sequence");
                }
                safe.append(text, i, 2);
                i += 2;
                continue;
            }
            break;
        case Place::literal:
        case Place::multiLineLiteral:
            // What a literal string holds as it is must be escaped in a
            // basic one.
            if (c == '\\' || c == '"') {
                safe += '\\';
                safe += c;
                ++i;
                continue;
            }
            break;
        }
        if ((place == Place::basic || place == Place::literal) && c == closes(place)) {
            place = Place::outside;
            safe += '"';
            ++i;
            continue;
        }
        if ((place == Place::multiLineBasic || place == Place::multiLineLiteral) &&
            c == closes(place)) {
            // A multi-line string may end with one or two quotes of its own
            // before the closing three.
            const size_t run = runOf(text, i, c);
            if (run >= 3) {
                const size_t own = run <= 5 ? run - 3 : 0;
                safe.append(own, c);
                safe += "\"\"\"";
                i += own + 3;
                place = Place::outside;
                continue;
            }
            if (place == Place::multiLineLiteral) {
                // Quotes of the literal string's own, fewer than three.
                safe.append(run, '\'');
                i += run;
                continue;
            }
        }
        safe += c;
        ++i;
    }
    return true;
}

} // namespace

bool readQuizSource(const std::string& path, QuizReport& report, QuizSource& source,
                    std::vector<QuizMediaFile>& media) {
    std::ifstream file(path, std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    std::string safe;
    UnsafeCharacter unsafe;
    if (file.is_open() && !file.bad() && !escapeForParser(text, safe, unsafe)) {
        report.error(unsafe.line, "TOML", unsafe.description);
        return false;
    }
    // A file that cannot be read is the parser's to report, as it always was.
    toml::parse_result parsed =
        file.is_open() && !file.bad() ? toml::parse(safe, path) : toml::parse_file(path);
    if (!parsed) {
        const toml::parse_error& failure = parsed.error();
        report.error(static_cast<int>(failure.source().begin.line), "TOML",
                     std::string(failure.description()));
        return false;
    }
    const toml::table& table = parsed.table();
    for (auto&& [key, value] : table) {
        if (!isOneOf(key.str(), topLevelKeys, std::size(topLevelKeys)))
            report.error(lineOf(value), std::string(key.str()), "unknown key");
    }
    readOptionalText(table, "title", "title", report, source.title);
    readOptionalText(table, "author", "author", report, source.author);
    readOptionalText(table, "explanation", "explanation", report, source.explanation);
    readOptionalText(table, "column1", "column1", report, source.columnLabel1);
    readOptionalText(table, "column2", "column2", report, source.columnLabel2);
    readOptionalText(table, "link", "link", report, source.linkText);
    readOptionalText(table, "footer", "footer", report, source.footerText);
    readNamed(table, "mode", quizModes, std::size(quizModes), report, source.quizMode);
    readNamed(table, "reveal", revealModes, std::size(revealModes), report, source.revealMode);
    if (const toml::node* answers = table.get("answers")) {
        report.saw("answers", lineOf(*answers));
        const toml::value<int64_t>* count = answers->as_integer();
        if (count && (count->get() == 1 || count->get() == 2))
            source.answersPerQuestion = static_cast<int>(count->get());
        else
            report.error(lineOf(*answers), "answers", "must be 1 or 2");
    }
    readBackground(table, report, source);
    readCodes(table, report, source);
    readQuestions(table, report, source, media);
    return true;
}
