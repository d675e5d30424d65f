// Reading a quiz source written in TOML (docs/quiz-format.md) into the
// QuizSource that the packer stores, with every finding tied to the line of
// the quiz file it is about.
#pragma once

#include "content/package_writer.h"

#include <map>
#include <string>
#include <vector>

// A media file to store as one resource.
struct QuizMediaFile {
    std::string field;
    std::string path;
    int line = 0;
    int id = 0;
    bool answerPicture = false;
};

struct QuizFinding {
    int line = 0; // 0: not tied to a line
    std::string text;
};

// Findings are printed as FILE:LINE: FIELD: REASON, in the order of the
// quiz file.
struct QuizReport {
    std::string quizPath;
    std::vector<QuizFinding> errors;
    std::vector<QuizFinding> warnings;
    std::map<std::string, int> lines; // where each field was written

    void saw(const std::string& field, int line) { lines[field] = line; }
    int lineOfField(const std::string& field) const {
        auto found = lines.find(field);
        return found == lines.end() ? 0 : found->second;
    }

    std::string where(int line, const std::string& field) const {
        std::string text = quizPath;
        if (line > 0)
            text += ":" + std::to_string(line);
        return text + ": " + field;
    }
    void error(int line, const std::string& field, const std::string& reason) {
        errors.push_back({line, where(line, field) + ": " + reason});
    }
    void warning(int line, const std::string& field, const std::string& reason) {
        warnings.push_back({line, where(line, field) + ": " + reason});
    }
};

// Reads the quiz file at path into source, and the media files it names
// into media (not opened here). False when the file is not TOML at all (it
// cannot be opened, or does not parse); the reason is then in report's
// errors. Every other finding goes to report too, and reading goes on past
// it, so that one run tells the author everything.
bool readQuizSource(const std::string& path, QuizReport& report, QuizSource& source,
                    std::vector<QuizMediaFile>& media);
