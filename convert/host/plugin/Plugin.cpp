// Plugin: library loading, rule keywords and the exported MessageBoxA.
#include "plugin/Plugin.h"

#include <dlfcn.h>
#include <iconv.h>
#include <tinyxml2.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>

namespace host {

namespace {

namespace fs = std::filesystem;

constexpr unsigned kButtonMask = 0x0F;
constexpr unsigned kYesNo = 0x04;

using RegistFunction = tala::IConvert* (*)(tala::IConvertHost*);

// One line of input, read a byte at a time so that nothing after it is
// taken; false at the end of the input or when the desk's wait says the run
// ends.
bool readLine(const MessageDesk& desk, int fd, std::string& line) {
    constexpr size_t kLongestAnswer = 64;
    line.clear();
    for (;;) {
        if (desk.waitToRead && !desk.waitToRead(fd)) return false;
        char byte = 0;
        ssize_t got = read(fd, &byte, 1);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return !line.empty();
        if (byte == '\n') return true;
        if (line.size() < kLongestAnswer) line += byte;
    }
}

// The answer typed at the prompt; typed is false when the input ended or a
// signal ended the run first, which declines.
int readAnswer(MessageDesk& desk, bool& typed) {
    for (;;) {
        fprintf(desk.out, "Answer y(es) or n(o): ");
        fflush(desk.out);
        std::string line;
        typed = readLine(desk, fileno(desk.in), line);
        if (!typed) {
            fprintf(desk.out, "(no answer: no)\n");
            return tala::kAnswerNo;
        }
        if (line[0] == 'y' || line[0] == 'Y') return tala::kAnswerYes;
        if (line[0] == 'n' || line[0] == 'N') return tala::kAnswerNo;
    }
}

std::string escapeQuestion(const std::string& text) {
    std::string escaped;
    for (char c : text) {
        if (c == '\\') {
            escaped += "\\\\";
        } else if (c == '\n') {
            escaped += "\\n";
        } else {
            escaped += c;
        }
    }
    return escaped;
}

std::string unescapeQuestion(const std::string& text) {
    std::string plain;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size()) {
            plain += text[i + 1] == 'n' ? '\n' : text[i + 1];
            ++i;
        } else {
            plain += text[i];
        }
    }
    return plain;
}

void keepAnswer(const MessageDesk& desk, const std::string& question, int answer) {
    if (desk.answersFile.empty()) return;
    FILE* file = fopen(desk.answersFile.c_str(), "a");
    if (file == nullptr) return;
    fprintf(file, "%s\t%s\n", answer == tala::kAnswerNo ? "no" : "yes",
            escapeQuestion(question).c_str());
    fclose(file);
}

// text from one encoding into another; bytes that do not convert are kept.
std::string convertText(const std::string& text, const char* to, const char* from) {
    iconv_t converter = iconv_open(to, from);
    if (converter == reinterpret_cast<iconv_t>(-1)) return text;
    std::string result;
    std::string input = text;
    char* in = input.data();
    size_t inLeft = input.size();
    char buffer[256];
    while (inLeft > 0) {
        char* out = buffer;
        size_t outLeft = sizeof buffer;
        size_t done = iconv(converter, &in, &inLeft, &out, &outLeft);
        result.append(buffer, sizeof buffer - outLeft);
        if (done == static_cast<size_t>(-1) && errno != E2BIG) {
            result += *in;  // keep a byte that does not convert
            ++in;
            --inLeft;
        }
    }
    iconv_close(converter);
    return result;
}

// The plug-in's own Chinese texts, its captions and messages and the parts
// of its question around the literal and the class name it quotes.
constexpr const char* kPluginChineseTexts[] = {
    "没有初始化配置或初始化错误！",
    "错误",
    "文件不存在",
    "文件格式错误",
    "参数列表错误!",
    "默认值没有设置!",
    "未知语句",
    "没有配置对应的转换项",
    "默认值为空!",
    "参数替换配置错误!",
    "在 ",
    " 中，没有配置 ",
    " 对应的转换项！\n是否继续转换?",
};

}  // namespace

// A Chinese message of the plug-in as UTF-8: its own texts come in GBK and
// are turned into UTF-8; every other byte, such as a name, a literal or a
// path it quotes from the sources (UTF-8 already), is kept as it came.
std::string chineseMessageToUtf8(const std::string& text) {
    struct FixedText {
        std::string gbk;
        const char* utf8;
    };
    std::vector<FixedText> fixed;
    for (const char* utf8 : kPluginChineseTexts)
        fixed.push_back({convertText(utf8, "GBK", "UTF-8"), utf8});
    // A longer text is tried before a shorter one that may begin it.
    std::sort(fixed.begin(), fixed.end(),
              [](const FixedText& a, const FixedText& b) { return a.gbk.size() > b.gbk.size(); });
    std::string result;
    size_t i = 0;
    while (i < text.size()) {
        auto starts = [&](const FixedText& f) {
            return f.gbk[0] == text[i] && text.compare(i, f.gbk.size(), f.gbk) == 0;
        };
        auto found = std::find_if(fixed.begin(), fixed.end(), starts);
        if (found == fixed.end()) {
            result += text[i++];
            continue;
        }
        result += found->utf8;
        i += found->gbk.size();
    }
    return result;
}

namespace {

// What the answers to a question of the plug-in do, as a line; empty for a
// question it is not known to ask. Its one question is whether to go on
// past a driver class that no rule names (in English or in Chinese).
const char* answerEffects(const std::string& question) {
    static const char* const kEndings[] = {"\nContinue conversion?", "\n是否继续转换?"};
    for (const char* ending : kEndings) {
        std::string end = ending;
        if (question.size() >= end.size() &&
            question.compare(question.size() - end.size(), end.size(), end) == 0)
            return "Yes: convert the file, keeping the string as written; No: the file fails "
                   "and stays unchanged in the output. The answer holds for every file of this "
                   "run that asks the same.\n";
    }
    return "";
}

}  // namespace

// A question not answered before in this run: a saved answer, the answer
// mode's, or the user's on the terminal (kept in the answers file).
int askQuestion(MessageDesk& desk, const std::string& place, const std::string& caption,
                const std::string& text) {
    ++desk.questions;
    int answer = tala::kAnswerYes;
    auto saved = desk.saved.find(text);
    AnswerMode mode = saved != desk.saved.end() ? AnswerMode::kYes : desk.mode;
    if (saved != desk.saved.end()) answer = saved->second;
    switch (mode) {
    case AnswerMode::kYes:
        break;
    case AnswerMode::kNo:
        answer = tala::kAnswerNo;
        break;
    case AnswerMode::kAsk:
        fprintf(desk.out, "\n%s%s: %s\n%s", place.empty() ? "" : (place + ": ").c_str(),
                caption.c_str(), text.c_str(), answerEffects(text));
        bool typed = false;
        answer = readAnswer(desk, typed);
        // An answer typed on the terminal, not the end of the input.
        if (typed) keepAnswer(desk, text, answer);
        break;
    }
    desk.answers[text] = answer;
    desk.asked.emplace_back(text, answer != tala::kAnswerNo);
    return answer;
}

bool loadAnswers(const std::string& path, MessageDesk& desk, std::string& reason) {
    desk.answersFile = path;
    FILE* file = fopen(path.c_str(), "r");
    if (file == nullptr) return true;
    char buffer[4096];
    int line = 0;
    bool ok = true;
    while (ok && fgets(buffer, sizeof buffer, file) != nullptr) {
        ++line;
        std::string text = buffer;
        if (!text.empty() && text.back() == '\n') text.pop_back();
        size_t tab = text.find('\t');
        std::string word = tab == std::string::npos ? text : text.substr(0, tab);
        if (text.empty()) continue;
        if (tab == std::string::npos || (word != "yes" && word != "no")) {
            reason = path + ":" + std::to_string(line) +
                     ": not an answer (\"yes\" or \"no\", a tab and the question)";
            ok = false;
            break;
        }
        desk.saved[unescapeQuestion(text.substr(tab + 1))] =
            word == "yes" ? tala::kAnswerYes : tala::kAnswerNo;
    }
    fclose(file);
    return ok;
}

MessageDesk& messageDesk() {
    static MessageDesk desk;
    return desk;
}

namespace {

// What the plug-in showed and logged while it built its converter, as one
// text; empty when nothing. The desk keeps no message of it for the first
// file.
std::string loadingProblems(Host& host) {
    std::string problems;
    MessageDesk& desk = messageDesk();
    for (const std::string& message : desk.fileMessages)
        problems += (problems.empty() ? "" : "; ") + message;
    desk.fileMessages.clear();
    for (const LogLine& line : host.takeLog())
        problems += (problems.empty() ? "" : "; ") + line.file + ":" + std::to_string(line.line) +
                    ": " + line.message;
    return problems;
}

}  // namespace

bool loadPlugin(const std::string& library, const std::string& rules, Host* host,
                LoadedPlugin& plugin, std::string& reason) {
    std::error_code error;
    if (!fs::is_regular_file(library, error)) {
        reason = "plug-in library not found: " + library;
        return false;
    }
    // An absolute path, so that dlopen never searches the system's folders.
    std::string path = fs::absolute(library, error).string();
    fs::path privateDir;
    if (!rules.empty()) {
        char pattern[] = "/tmp/nidus-convert-XXXXXX";
        if (mkdtemp(pattern) == nullptr) {
            reason = "cannot make a temporary folder for the plug-in";
            return false;
        }
        privateDir = pattern;
        fs::path copy = privateDir / fs::path(library).filename();
        fs::copy_file(library, copy, error);
        if (!error) fs::copy_file(rules, privateDir / "config.xml", error);
        if (error) {
            fs::remove_all(privateDir, error);
            reason = "cannot copy the plug-in and its rules to a temporary folder";
            return false;
        }
        path = copy.string();
    }
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
        const char* why = dlerror();
        reason = std::string("cannot load the plug-in: ") + (why != nullptr ? why : library);
        if (!privateDir.empty()) fs::remove_all(privateDir, error);
        return false;
    }
    auto regist = reinterpret_cast<RegistFunction>(dlsym(handle, "registConvert"));
    if (regist == nullptr) {
        reason = "the library has no registConvert: " + library;
        dlclose(handle);
        if (!privateDir.empty()) fs::remove_all(privateDir, error);
        return false;
    }
    // The converter reads its rules while it is built; the private copy is
    // not needed after that.
    plugin.convert = regist(host);
    plugin.handle = handle;
    if (!privateDir.empty()) fs::remove_all(privateDir, error);
    if (plugin.convert == nullptr) {
        reason = "the plug-in gave no converter";
        return false;
    }
    std::string problems = loadingProblems(*host);
    if (!problems.empty()) {
        reason = "the plug-in stopped reading its rules: " + problems;
        return false;
    }
    return true;
}

bool readRuleFacts(const std::string& rules, RuleFacts& facts, std::string& reason) {
    std::ifstream in(rules, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    tinyxml2::XMLDocument document(true, tinyxml2::PRESERVE_WHITESPACE);
    if (!in || document.Parse(text.str().data(), text.str().size()) != tinyxml2::XML_SUCCESS) {
        reason = "cannot read the rule file " + rules + ": " +
                 (document.ErrorStr() != nullptr ? document.ErrorStr() : "not XML");
        return false;
    }
    // The rules the plug-in keeps, read as it reads them.
    RuleSet ruleSet = readRuleSet(text.str());
    facts.packageKeywords = ruleSet.keywords;
    auto lastPart = [](const std::string& whole) {
        size_t dot = whole.rfind('.');
        return dot == std::string::npos ? whole : whole.substr(dot + 1);
    };
    for (const RuleEntry& rule : ruleSet.entries) {
        bool member = rule.section == "Members";
        if ((!member && rule.section != "Methods") || ruleSet.find(rule.section, rule.src) != &rule)
            continue;
        // The name a rule changes (renames, or rebuilds the arguments of),
        // without the class it may name.
        std::string renamed = lastPart(rule.src);
        if (renamed != lastPart(rule.to) || rule.params != -1)
            (member ? facts.memberNames : facts.methodNames).insert(renamed);
    }
    return true;
}

}  // namespace host

// The plug-in looks this up in the loading process: messages go to
// standard error, questions are answered by the run's answer mode and
// asked at most once per run.
extern "C" __attribute__((visibility("default"))) int MessageBoxA(void*, const char* text,
                                                                  const char* caption,
                                                                  unsigned flags) {
    host::MessageDesk& desk = host::messageDesk();
    std::string shownText = text != nullptr ? text : "";
    std::string shownCaption = caption != nullptr ? caption : "";
    if (desk.chinese) {
        shownText = host::chineseMessageToUtf8(shownText);
        shownCaption = host::chineseMessageToUtf8(shownCaption);
    }
    bool question = (flags & host::kButtonMask) == host::kYesNo;
    if (!question) {
        // Shown once, with its file, at the end of the run.
        ++desk.messages;
        desk.fileMessages.push_back(shownCaption + ": " + shownText);
        return tala::kAnswerOk;
    }
    desk.fileQuestions.push_back(shownText);
    auto known = desk.answers.find(shownText);
    int answer = known != desk.answers.end() ? known->second : 0;
    std::string place = desk.place ? desk.place() : std::string();
    if (known == desk.answers.end() && desk.relay) {
        answer = desk.relay(place, shownCaption, shownText);
        // No parent to answer: the question declines.
        if (answer < 0) answer = tala::kAnswerNo;
        desk.answers[shownText] = answer;
    } else if (known == desk.answers.end()) {
        answer = host::askQuestion(desk, place, shownCaption, shownText);
    }
    if (answer == tala::kAnswerNo && desk.declined.empty()) desk.declined = shownText;
    return answer;
}
