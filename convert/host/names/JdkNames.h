// JdkNames: what the host knows of package names: the JDK's packages and
// their class names (JdkNames.cpp, listed by scripts/jdk-names.sh), and
// whether a name lies in a package the rules name.
#pragma once

#include <string>
#include <vector>

namespace host {

// True when keyword stands in text as whole dot-separated parts.
bool containsPackage(const std::string& text, const std::string& keyword);
// True when one of keywords does.
bool containsAnyPackage(const std::string& text, const std::vector<std::string>& keywords);

// The JDK package that declares simple (a small table of common packages);
// empty when none of them does. java.lang is among them.
std::string jdkPackageOf(const std::string& simple, const std::vector<std::string>& packages);
bool isJdkPackage(const std::string& package);
// Whether keyword stands as whole parts in the name of a JDK package or
// class that the host knows (so in a qualified name that the host may
// give a name through the JDK's types alone).
bool jdkNameHolds(const std::string& keyword);

}  // namespace host
