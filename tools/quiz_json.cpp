#include "tools/quiz_json.h"

#include "content/content_loader.h"
#include "content/link_block.h"
#include "content/quiz_state.h"
#include "platform/codepage.h"
#include "platform/memory/memory_ui.h"

#include <memory>
#include <nlohmann/json.hpp>

namespace {

using Json = nlohmann::ordered_json;

std::string utf8(const char* ansi) {
    return codepage::toUtf8(ansi);
}

Json stateJson(const QuizState& state) {
    Json messages = Json::array();
    for (const memory::MessageRecord& message : memory::messages())
        messages.push_back(
            {{"text", utf8(message.text.c_str())}, {"caption", utf8(message.caption.c_str())}});

    Json questions = Json::array();
    for (const QuestionEntry* entry = state.firstQuestion; entry; entry = entry->next)
        questions.push_back({{"answer1", utf8(entry->answer1)},
                             {"answer2", utf8(entry->answer2)},
                             {"questionText", utf8(entry->questionText)},
                             {"comment", utf8(entry->comment)}});

    Json codes = Json::array();
    for (int i = 0; i < state.questionCount && i < maxQuestions; ++i)
        codes.push_back(utf8(state.codes[i]));

    Json json;
    json["messages"] = messages;
    json["linkText"] = utf8(state.linkText);
    json["footerText"] = utf8(state.footerText);
    json["quizMode"] = state.quizMode;
    json["questionCount"] = state.questionCount;
    json["answersPerQuestion"] = state.answersPerQuestion;
    json["revealMode"] = state.revealMode;
    json["title"] = utf8(state.title);
    json["author"] = utf8(state.author);
    json["explanation"] = utf8(state.explanation);
    json["columnLabel1"] = utf8(state.columnLabel1);
    json["columnLabel2"] = utf8(state.columnLabel2);
    json["background"] = {state.backgroundRed, state.backgroundGreen, state.backgroundBlue};
    json["questions"] = questions;
    json["codes"] = codes;
    return json;
}

} // namespace

std::string loadedQuizJson(const uint8_t* linkBlock) {
    memory::reset();
    overrideLinkBlock(linkBlock);
    std::string text;
    {
        // The record is large; it lives on the heap, as in the player.
        auto state = std::make_unique<QuizState>();
        loadContent(*state);
        text = stateJson(*state).dump(2, ' ', false, Json::error_handler_t::replace);
    }
    overrideLinkBlock(nullptr);
    memory::reset();
    return text;
}
