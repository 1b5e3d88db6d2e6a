// Plugin: loading the nidus library (from a private folder when the run has
// its own rule file), reading the rule file's package keywords, and the
// MessageBoxA the host exports for the plug-in's messages and questions.
#pragma once

#include <cstdio>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "IConvert.h"
#include "names/SemanticModel.h"
#include "plugin/HostObjects.h"
#include "plugin/RuleFile.h"

namespace host {

// How the plug-in's Yes/No questions are answered.
enum class AnswerMode { kAsk, kYes, kNo };

// The message side of one run: MessageBoxA reports here.
struct MessageDesk {
    AnswerMode mode = AnswerMode::kYes;
    bool chinese = false;                // the plug-in's own texts come in GBK
    FILE* out = stderr;                  // where messages are printed
    FILE* in = stdin;                    // where answers are read in ask mode
    // Waits until a descriptor can be read; false when the run is to end
    // (a signal), so that a question never waits past it. Unset: answers
    // are read at once.
    std::function<bool(int fd)> waitToRead;
    std::map<std::string, int> answers;  // question text -> answer, asked once per run
    int questions = 0;
    int messages = 0;
    std::vector<std::string> fileMessages;  // messages of the current file
    // The questions the current file asks, answered already or not.
    std::vector<std::string> fileQuestions;
    std::string declined;  // the first question of the current file answered No
    // Every question of the run in the order asked, with its answer (true
    // for yes).
    std::vector<std::pair<std::string, bool>> asked;
    // Where answers given on a terminal are kept for the next runs; empty
    // for none.
    std::string answersFile;
    std::map<std::string, int> saved;  // answers read from it
    // In a worker process: the parent, which asks each question of the run
    // once; its answer, or -1 when it is gone.
    std::function<int(const std::string& place, const std::string& caption,
                      const std::string& text)>
        relay;
    // The file and line of the statement in hand (PATH:LINE, the path
    // relative to the source root), told with each question; unset: none.
    std::function<std::string()> place;
};

// Reads the answers kept in path (lines of "yes" or "no", a tab and the
// question, a line break inside it written as "\n") into the desk, which
// keeps the file to append new ones. A missing file has none yet. false
// with a reason naming the line that is not such a line.
bool loadAnswers(const std::string& path, MessageDesk& desk, std::string& reason);

MessageDesk& messageDesk();

// Asks a question of the run for the first time; returns the plug-in's
// answer (6 yes, 7 no). On the terminal the question comes after the place
// that asks it (PATH:LINE) and before what each answer does.
int askQuestion(MessageDesk& desk, const std::string& place, const std::string& caption,
                const std::string& text);

// A Chinese message or caption of the plug-in as UTF-8: the plug-in's own
// texts in it come in GBK and are turned into UTF-8, every other byte (a
// name, a literal or a path quoted from the sources) is kept.
std::string chineseMessageToUtf8(const std::string& text);

struct LoadedPlugin {
    tala::IConvert* convert = nullptr;
    void* handle = nullptr;
};

// Loads library and calls its registConvert with host. With a rule file,
// the library is loaded from a private temporary folder that holds a copy
// of it and the rule file as config.xml. false with a one-line reason; also
// when the plug-in showed a message or logged a line while it read its
// rules, for it reads none after that: the reason holds them.
bool loadPlugin(const std::string& library, const std::string& rules, Host* host,
                LoadedPlugin& plugin, std::string& reason);

// The package keywords of a rule file, and the names its member and method
// rules rename. false with a reason when the file cannot be read as XML.
bool readRuleFacts(const std::string& rules, RuleFacts& facts, std::string& reason);

}  // namespace host
