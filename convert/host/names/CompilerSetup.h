// CompilerSetup: what exact mode needs to run its Java helper: the java
// program (JAVA_HOME's, else the first on PATH), the helper's jar (found
// through ProgramFiles), and the classpath that --classpath gives.
#pragma once

#include <string>

namespace host {

// The start of every reason that says exact mode cannot run for want of a
// JDK (no java, no helper jar, a Java without a compiler).
inline constexpr char kNeedsJdk[] = "exact mode (--classpath) needs a JDK: ";

// How to run the helper: the java program, the helper's jar, the classpath.
struct CompilerSetup {
    std::string java;
    std::string jar;
    std::string classpath;
};

// The classpath that --classpath gives: the value itself, or with @FILE
// the file's text, its lines joined with ":". false with a reason.
bool readClasspath(const std::string& value, std::string& classpath, std::string& reason);

// java (JAVA_HOME's, else the first on PATH) and the helper's jar (beside
// this program, else where the build put it). false with a reason for the
// user: exact mode needs a JDK.
bool findCompiler(CompilerSetup& setup, std::string& reason);

}  // namespace host
