// TalaConfig: config.xml and the rule tables.
#include "TalaConfig.h"

#include <tinyxml2.h>

#include <cstdlib>
#include <cstring>

#include "Platform.h"

namespace tala {

namespace {

constexpr char kLayer[] = "TalaConfig";
constexpr char kConfigName[] = "config.xml";

// The log line numbers of the rule loader are fixed: hosts and their users
// know the loader's messages by them.
constexpr int kLineModulePathNull = 23;
constexpr int kLineModulePathError = 35;
constexpr int kLineKeyWordsNull = 83;
constexpr int kLineKeyAttribute = 92;
constexpr int kLineItemAttribute = 115;
constexpr int kLineItemCode = 124;
constexpr int kLineChangeAttribute = 132;
constexpr int kLineItemChanges = 141;
constexpr int kLineClassAttribute = 153;
constexpr int kLineMemberAttribute = 175;
constexpr int kLineMethodAttribute = 196;
constexpr int kLineMethodNames = 210;
constexpr int kLineParamAttribute = 218;
constexpr int kLineWordAttribute = 264;

constexpr char kAttributeNull[] = "Attribute is null!";
constexpr char kItemNull[] = "Convert item is null!";
constexpr char kItemsNull[] = "Convert items is null!";
constexpr char kCaptionError[] = "error";

constexpr char kMissingFile[] = "File does not exist";
constexpr char kMissingFileZh[] = "\xCE\xC4\xBC\xFE\xB2\xBB\xB4\xE6\xD4\xDA";
constexpr char kFormatError[] = "File format error";
constexpr char kFormatErrorZh[] = "\xCE\xC4\xBC\xFE\xB8\xF1\xCA\xBD\xB4\xED\xCE\xF3";
constexpr char kParamListError[] = "Parameter list error!";
constexpr char kParamListErrorZh[] = "\xB2\xCE\xCA\xFD\xC1\xD0\xB1\xED\xB4\xED\xCE\xF3!";
constexpr char kDefaultNotSet[] = "Default value is not set!";
constexpr char kDefaultNotSetZh[] = "\xC4\xAC\xC8\xCF\xD6\xB5\xC3\xBB\xD3\xD0\xC9\xE8\xD6\xC3!";

constexpr char kTypeString[] = "string";
constexpr char kTypeCode[] = "code";
constexpr int kNotSet = -1;

bool named(const tinyxml2::XMLElement* element, const char* name) {
    return std::strcmp(element->Name(), name) == 0;
}

bool named(const tinyxml2::XMLAttribute* attribute, const char* name) {
    return std::strcmp(attribute->Name(), name) == 0;
}

template <typename Table>
auto findExact(const Table& table, const std::string& key) -> const typename Table::mapped_type* {
    auto found = table.lower_bound(key);
    if (found == table.end() || found->first != key) return nullptr;
    return &found->second;
}

}  // namespace

TalaConfig::TalaConfig(IConvertHost* host) : TalaBase(host) {}

int TalaConfig::loadRules() {
    std::string path = platform::getModulePath();
    if (path.empty()) {
        writeLog(kLayer, "Module path is null!", kLineModulePathNull);
        return -1;
    }
    size_t cut = path.find_last_of(platform::kSeparator);
    if (cut == std::string::npos || cut == 0) {
        writeLog(kLayer, "Module path is error!", kLineModulePathError);
        return -1;
    }
    path.resize(cut + 1);
    path += kConfigName;
    // A path that does not fit the system's path buffer cannot be opened
    // there: it counts as a missing file.
    if (path.size() >= platform::kMaxPath || platform::pathAccess(path) != 0) {
        showMessage(path, pick(kMissingFile, kMissingFileZh), kBoxWarning);
        return -1;
    }
    tinyxml2::XMLDocument document(true, tinyxml2::PRESERVE_WHITESPACE);
    tinyxml2::XMLError error = document.LoadFile(path.c_str());
    if (error == tinyxml2::XML_ERROR_MISMATCHED_ELEMENT) {
        showMessage(path, pick(kFormatError, kFormatErrorZh), kBoxWarning);
        return -1;
    }
    if (error != tinyxml2::XML_SUCCESS) return -1;

    for (const tinyxml2::XMLElement* section = document.FirstChildElement(); section != nullptr;
         section = section->NextSiblingElement()) {
        int result = 0;
        if (named(section, "KeyWords"))
            result = loadKeyWords(section);
        else if (named(section, "Imports"))
            result = loadImports(section);
        else if (named(section, "Classes"))
            result = loadClasses(section);
        else if (named(section, "Members"))
            result = loadMembers(section);
        else if (named(section, "Methods"))
            result = loadMethods(section);
        else if (named(section, "Words"))
            result = loadWords(section);
        if (result != 0) return -1;
    }
    if (packageKeywords.empty()) {
        writeLog(kLayer, "Key words is null!", kLineKeyWordsNull);
        return -1;
    }
    return 0;
}

int TalaConfig::loadKeyWords(const tinyxml2::XMLElement* section) {
    for (const tinyxml2::XMLElement* key = section->FirstChildElement(); key != nullptr;
         key = key->NextSiblingElement()) {
        if (!named(key, "Key")) continue;
        const tinyxml2::XMLAttribute* attribute = key->FirstAttribute();
        if (attribute == nullptr) {
            writeLog(kLayer, kAttributeNull, kLineKeyAttribute);
            return -1;
        }
        std::string kind;
        std::string code;
        for (; attribute != nullptr; attribute = attribute->Next()) {
            if (named(attribute, "kind"))
                kind = attribute->Value();
            else if (named(attribute, "code"))
                code = attribute->Value();
        }
        if (kind == "package" && !code.empty()) packageKeywords.push_back(code);
    }
    return 0;
}

int TalaConfig::loadImports(const tinyxml2::XMLElement* section) {
    for (const tinyxml2::XMLElement* item = section->FirstChildElement(); item != nullptr;
         item = item->NextSiblingElement()) {
        if (!named(item, "item")) continue;
        const tinyxml2::XMLAttribute* attribute = item->FirstAttribute();
        if (attribute == nullptr) {
            writeLog(kLayer, kAttributeNull, kLineItemAttribute);
            return -1;
        }
        std::string code;
        for (; attribute != nullptr; attribute = attribute->Next()) {
            if (named(attribute, "code")) code = attribute->Value();
        }
        if (code.empty()) {
            writeLog(kLayer, kItemNull, kLineItemCode);
            return -1;
        }
        std::vector<std::string> changes;
        for (const tinyxml2::XMLElement* change = item->FirstChildElement(); change != nullptr;
             change = change->NextSiblingElement()) {
            if (!named(change, "change")) continue;
            const tinyxml2::XMLAttribute* changeAttribute = change->FirstAttribute();
            if (changeAttribute == nullptr) {
                writeLog(kLayer, kAttributeNull, kLineChangeAttribute);
                return -1;
            }
            for (; changeAttribute != nullptr; changeAttribute = changeAttribute->Next()) {
                if (named(changeAttribute, "code")) changes.push_back(changeAttribute->Value());
            }
        }
        if (changes.empty()) {
            writeLog(kLayer, kItemsNull, kLineItemChanges);
            return -1;
        }
        importRules.emplace(code, changes);
    }
    return 0;
}

int TalaConfig::loadClasses(const tinyxml2::XMLElement* section) {
    return loadRenames(section, "class", kLineClassAttribute, classRules);
}

int TalaConfig::loadMembers(const tinyxml2::XMLElement* section) {
    return loadRenames(section, "member", kLineMemberAttribute, memberRules);
}

int TalaConfig::loadWords(const tinyxml2::XMLElement* section) {
    return loadRenames(section, "word", kLineWordAttribute, wordRules);
}

int TalaConfig::loadRenames(const tinyxml2::XMLElement* section, const char* childName, int line,
                            std::map<std::string, std::string>& table) {
    for (const tinyxml2::XMLElement* element = section->FirstChildElement(); element != nullptr;
         element = element->NextSiblingElement()) {
        if (!named(element, childName)) continue;
        const tinyxml2::XMLAttribute* attribute = element->FirstAttribute();
        if (attribute == nullptr) {
            writeLog(kLayer, kAttributeNull, line);
            return -1;
        }
        std::string src;
        std::string to;
        for (; attribute != nullptr; attribute = attribute->Next()) {
            if (named(attribute, "src"))
                src = attribute->Value();
            else if (named(attribute, "to"))
                to = attribute->Value();
        }
        if (!src.empty() && !to.empty()) table.emplace(src, to);
    }
    return 0;
}

int TalaConfig::loadMethods(const tinyxml2::XMLElement* section) {
    for (const tinyxml2::XMLElement* element = section->FirstChildElement(); element != nullptr;
         element = element->NextSiblingElement()) {
        if (!named(element, "method")) continue;
        if (loadMethod(element) != 0) return -1;
    }
    return 0;
}

int TalaConfig::loadMethod(const tinyxml2::XMLElement* element) {
    const tinyxml2::XMLAttribute* attribute = element->FirstAttribute();
    if (attribute == nullptr) {
        writeLog(kLayer, kAttributeNull, kLineMethodAttribute);
        return -1;
    }
    std::string src;
    MethodRule rule;
    for (; attribute != nullptr; attribute = attribute->Next()) {
        if (named(attribute, "src"))
            src = attribute->Value();
        else if (named(attribute, "to"))
            rule.to = attribute->Value();
        else if (named(attribute, "params"))
            rule.params = std::atoi(attribute->Value());
    }
    if (src.empty() || rule.to.empty()) {
        writeLog(kLayer, kItemNull, kLineMethodNames);
        return -1;
    }
    if (rule.params != kNotSet) {
        for (const tinyxml2::XMLElement* param = element->FirstChildElement(); param != nullptr;
             param = param->NextSiblingElement()) {
            if (!named(param, "param")) continue;
            if (loadParam(param, rule) != 0) return -1;
        }
    }
    methodRules.emplace(src, rule);
    return 0;
}

int TalaConfig::loadParam(const tinyxml2::XMLElement* element, MethodRule& rule) {
    const tinyxml2::XMLAttribute* attribute = element->FirstAttribute();
    if (attribute == nullptr) {
        writeLog(kLayer, kAttributeNull, kLineParamAttribute);
        return -1;
    }
    int position = kNotSet;
    ParamRule param;
    for (; attribute != nullptr; attribute = attribute->Next()) {
        if (named(attribute, "new"))
            position = std::atoi(attribute->Value());
        else if (named(attribute, "old"))
            param.old = std::atoi(attribute->Value());
        else if (named(attribute, "default"))
            param.defaultValue = attribute->Value();
        else if (named(attribute, "type"))
            param.type = attribute->Value();
    }
    if (static_cast<size_t>(position) != rule.paramRules.size() + 1 || position < 1) {
        showMessage(pick(kParamListError, kParamListErrorZh), kCaptionError, kBoxWarning);
        return -1;
    }
    if (param.old == kNotSet) {
        if (param.defaultValue.empty()) {
            showMessage(pick(kDefaultNotSet, kDefaultNotSetZh), kCaptionError, kBoxWarning);
            return -1;
        }
        if (param.type != kTypeString) param.type = kTypeCode;
    }
    rule.paramRules.push_back(param);
    return 0;
}

const std::string* TalaConfig::findClassRule(const std::string& name) const {
    return findExact(classRules, name);
}

const std::string* TalaConfig::findMemberRule(const std::string& name) const {
    return findExact(memberRules, name);
}

const MethodRule* TalaConfig::findMethodRule(const std::string& name) const {
    return findExact(methodRules, name);
}

const std::vector<std::string>* TalaConfig::findImportRule(const std::string& code) const {
    return findExact(importRules, code);
}

}  // namespace tala
