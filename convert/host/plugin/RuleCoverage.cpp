// RuleCoverage: the names under the rules and their rules.
#include "plugin/RuleCoverage.h"

#include <algorithm>

#include "names/JdkNames.h"

namespace host {

namespace {

bool underRules(const std::string& text, const RuleSet& rules) {
    return containsAnyPackage(text, rules.keywords);
}

const char* sectionOf(int kind) {
    switch (kind) {
    case kKindClassRef:
    case kKindClass:
        return "Classes";
    case kKindMember:
    case kKindOwnMember:
        return "Members";
    default:
        return "Methods";
    }
}

UseKind useKindOf(int kind) {
    switch (kind) {
    case kKindClassRef:
    case kKindClass:
        return UseKind::kClass;
    case kKindMember:
    case kKindOwnMember:
        return UseKind::kMember;
    default:
        return UseKind::kMethod;
    }
}

// The qualifier the plug-in gathers before a name: the class and package
// names joined by dots right before it ("net.olddb.", "OldTypes.").
std::string qualifierBefore(const std::vector<Leaf>& leaves, size_t at) {
    std::string prefix;
    while (at >= 2 && leaves[at - 1].text == "." &&
           (leaves[at - 2].kind == kKindClassRef || leaves[at - 2].kind == kKindName)) {
        prefix = leaves[at - 2].text + "." + prefix;
        at -= 2;
    }
    return prefix;
}

// A class name that qualifies the name after it (OldTypes in
// OldTypes.VARCHAR2): the plug-in looks the whole up, not the class alone.
bool isQualifier(const std::vector<Leaf>& leaves, size_t at) {
    if (leaves[at].kind != kKindClassRef || at + 2 >= leaves.size() || leaves[at + 1].text != ".")
        return false;
    int next = leaves[at + 2].kind;
    return next == kKindClassRef || next == kKindMember || next == kKindOwnMember ||
           next == kKindMethod;
}

bool isDottedNameChar(char c) {
    return isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '$' || c == '.';
}

// The dotted class name around a keyword in a string literal's text, as the
// plug-in finds it; empty when none.
std::string classInLiteral(const std::string& text, const RuleSet& rules) {
    for (const std::string& keyword : rules.keywords) {
        for (size_t at = text.find(keyword); at != std::string::npos;
             at = text.find(keyword, at + 1)) {
            size_t end = at + keyword.size();
            bool before = at == 0 || text[at - 1] == '.';
            bool after = end >= text.size() - 1 || text[end] == '.';
            if (!before || !after) continue;
            while (end < text.size() && isDottedNameChar(text[end])) ++end;
            size_t start = at;
            while (start > 0 && isDottedNameChar(text[start - 1])) --start;
            if (end > start) return text.substr(start, end - start);
        }
    }
    return std::string();
}

// Leaves that import statements hold: the plug-in converts those whole.
std::vector<bool> importLeaves(const JavaSource& source, const std::vector<Step>& steps,
                               const RuleSet& rules, std::vector<NameUse>& uses) {
    const std::vector<Leaf>& leaves = source.leaves();
    std::vector<bool> inImport(leaves.size(), false);
    for (const Step& step : steps) {
        for (const Statement& statement : step.statements) {
            if (statement.kind != kStmtImportDecl) continue;
            std::string code;
            for (size_t i = statement.first; i < statement.last; ++i) {
                inImport[i] = true;
                const std::string& text = leaves[i].text;
                if (!leaves[i].comment && text != "import" && text != "static" && text != ";")
                    code += text;
            }
            if (!underRules(code, rules)) continue;
            NameUse use;
            use.kind = UseKind::kImport;
            use.name = use.key = code;
            use.line = leaves[statement.first].line;
            use.leaf = statement.first;
            use.rule = rules.find("Imports", code);
            uses.push_back(use);
        }
    }
    return inImport;
}

bool joinsWord(char c) {
    return c == '.' || c == '_' || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// word as the plug-in's word rules find it: not joined to a letter, "_" or
// "." on either side.
bool holdsRuleWord(const std::string& text, const std::string& word) {
    for (size_t at = text.find(word); at != std::string::npos; at = text.find(word, at + 1)) {
        size_t end = at + word.size();
        if ((at == 0 || !joinsWord(text[at - 1])) && (end == text.size() || !joinsWord(text[end])))
            return true;
    }
    return false;
}

void addWords(const std::vector<Leaf>& leaves, size_t at, const RuleSet& rules,
              std::vector<NameUse>& uses) {
    for (const RuleEntry& entry : rules.entries) {
        if (entry.section != "Words" || rules.find("Words", entry.src) != &entry ||
            !holdsRuleWord(leaves[at].text, entry.src))
            continue;
        NameUse use;
        use.kind = UseKind::kWord;
        use.name = use.key = entry.src;
        use.line = leaves[at].line;
        use.leaf = at;
        use.rule = &entry;
        uses.push_back(use);
    }
}

void addDriver(const std::vector<Leaf>& leaves, size_t at, const RuleSet& rules,
               std::vector<NameUse>& uses) {
    const Leaf& leaf = leaves[at];
    if (at < 2 || leaves[at - 1].text != "(" || leaves[at - 2].kind != kKindMethod ||
        (leaves[at - 2].text != "forName" && leaves[at - 2].text != "getConnection"))
        return;
    std::string name = classInLiteral(leaf.text.substr(1, leaf.text.size() - 2), rules);
    if (name.empty()) return;
    NameUse use;
    use.kind = UseKind::kDriver;
    use.name = use.key = name;
    use.line = leaf.line;
    use.leaf = at;
    use.rule = rules.find("Classes", name);
    uses.push_back(use);
}

// Whether one of an import rule's replacements (joined by ", ") imports a
// class of the simple name: then the name, left as written, means it.
bool importsSimpleName(const std::string& changes, const std::string& simple) {
    std::string ending = "." + simple;
    size_t start = 0;
    while (start <= changes.size()) {
        size_t end = changes.find(", ", start);
        if (end == std::string::npos) end = changes.size();
        std::string change = changes.substr(start, end - start);
        if (change == simple ||
            (change.size() > ending.size() &&
             change.compare(change.size() - ending.size(), ending.size(), ending) == 0))
            return true;
        start = end + 2;
    }
    return false;
}

// Whether an import that the rules convert brought the class name in, so
// that the name left as written may no longer mean it: its single-type
// import replaced by imports of other names, or an on-demand import of its
// package or outer class (whether the new package has a class of that name
// is unknown).
bool importConverted(const std::vector<NameUse>& uses, const std::string& name) {
    std::string simple = name.substr(name.rfind('.') + 1);
    for (const NameUse& use : uses) {
        if (use.kind != UseKind::kImport || use.rule == nullptr) continue;
        const std::string& code = use.name;
        if (code == name) {
            if (!importsSimpleName(use.rule->to, simple)) return true;
            continue;
        }
        if (code.size() < 2 || code.compare(code.size() - 2, 2, ".*") != 0) continue;
        size_t prefix = code.size() - 1;
        if (name.size() > prefix && name.compare(0, prefix, code, 0, prefix) == 0 &&
            name.find('.', prefix) == std::string::npos)
            return true;
    }
    return false;
}

}  // namespace

const char* useKindName(UseKind kind) {
    switch (kind) {
    case UseKind::kImport:
        return "import";
    case UseKind::kClass:
        return "class";
    case UseKind::kMember:
        return "member";
    case UseKind::kMethod:
        return "method";
    case UseKind::kDriver:
        return "driver";
    case UseKind::kWord:
        return "word";
    }
    return "name";
}

std::vector<NameUse> findRuleUses(const JavaSource& source, const std::vector<Step>& steps,
                                  const RuleSet& rules) {
    std::vector<NameUse> uses;
    const std::vector<Leaf>& leaves = source.leaves();
    std::vector<bool> inImport = importLeaves(source, steps, rules, uses);
    for (size_t i = 0; i < leaves.size(); ++i) {
        const Leaf& leaf = leaves[i];
        if (inImport[i] || leaf.comment) continue;
        if (leaf.kind == kKindString && leaf.text.size() >= 2) {
            addDriver(leaves, i, rules, uses);
            addWords(leaves, i, rules, uses);
            continue;
        }
        bool named = leaf.kind == kKindClassRef || leaf.kind == kKindMember ||
                     leaf.kind == kKindOwnMember || leaf.kind == kKindMethod ||
                     leaf.kind == kKindClass;
        if (!named || !underRules(leaf.qualified, rules) || isQualifier(leaves, i)) continue;
        NameUse use;
        use.kind = useKindOf(leaf.kind);
        use.name = leaf.qualified;
        std::string prefix = leaf.kind == kKindClass ? std::string() : qualifierBefore(leaves, i);
        use.key = prefix + leaf.text;
        use.line = leaf.line;
        use.leaf = i;
        use.keptWithoutRule = leaf.kind == kKindClass;
        use.rule = rules.find(sectionOf(leaf.kind), use.key);
        if (use.rule == nullptr && !prefix.empty())
            use.rule = rules.find(sectionOf(leaf.kind), leaf.text);
        if (leaf.kind == kKindMethod) use.arity = source.callArity(leaf.startByte, leaf.endByte);
        uses.push_back(use);
    }
    for (NameUse& use : uses) {
        if (use.keptWithoutRule && use.rule == nullptr && importConverted(uses, use.name))
            use.keptWithoutRule = false;
    }
    std::stable_sort(uses.begin(), uses.end(),
                     [](const NameUse& a, const NameUse& b) { return a.leaf < b.leaf; });
    return uses;
}

std::vector<const NameUse*> droppedQualifiers(const std::vector<NameUse>& uses) {
    std::vector<const NameUse*> dropped;
    for (const NameUse& use : uses) {
        bool named = use.kind == UseKind::kClass || use.kind == UseKind::kMember ||
                     use.kind == UseKind::kMethod;
        if (!named || use.rule == nullptr || use.key.find('.') == std::string::npos ||
            use.rule->src == use.key || use.rule->to.find('.') != std::string::npos)
            continue;
        bool imported = std::any_of(uses.begin(), uses.end(), [&](const NameUse& other) {
            return other.kind == UseKind::kImport && other.rule != nullptr &&
                   importsSimpleName(other.rule->to, use.rule->to);
        });
        if (use.kind != UseKind::kClass || !imported) dropped.push_back(&use);
    }
    return dropped;
}

const NameUse* classLeftUnconverted(const std::vector<NameUse>& uses,
                                    const std::vector<Leaf>& leaves) {
    for (const NameUse& use : uses) {
        if (use.kind == UseKind::kClass && use.rule == nullptr && !use.keptWithoutRule &&
            use.leaf < leaves.size() && leaves[use.leaf].kind == kKindClass)
            return &use;
    }
    return nullptr;
}

std::string explainFailure(const std::vector<NameUse>& uses, size_t first, size_t last) {
    for (const NameUse& use : uses) {
        if (use.leaf < first || use.leaf >= last) continue;
        if (use.rule == nullptr && !use.keptWithoutRule && use.kind != UseKind::kDriver &&
            use.kind != UseKind::kWord)
            return std::string("no rule for ") + useKindName(use.kind) + " " + use.name;
        if (use.arityMismatch())
            return "the rule for " + use.name + " rebuilds calls with " +
                   std::to_string(use.rule->params) + " arguments; this call has " +
                   std::to_string(use.arity);
    }
    return std::string();
}

}  // namespace host
