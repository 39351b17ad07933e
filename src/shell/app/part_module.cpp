#include "shell/app/part_module.h"

#include <QLibrary>

#include <cstring>
#include <filesystem>

namespace tally {

std::vector<std::string> PartModule::Candidates(const std::string& programFile, const char* fileName)
{
    const std::filesystem::path folder = std::filesystem::path(programFile).parent_path();
    std::vector<std::string> candidates {(folder / fileName).string()};
#ifdef TALLY_MODULE_RELATIVE_DIR
    candidates.push_back((folder / TALLY_MODULE_RELATIVE_DIR / fileName).lexically_normal().string());
#endif
    return candidates;
}

void* PartModule::Open(const std::string& programFile, const char* fileName, const char* symbol, QString& problem)
{
    std::string file;
    for (const std::string& candidate : Candidates(programFile, fileName)) {
        std::error_code error;
        if (std::filesystem::is_regular_file(candidate, error)) {
            file = candidate;
            break;
        }
    }
    if (file.empty()) {
        problem = QStringLiteral("its part %1 is missing beside the program and in the installed program's folders")
                      .arg(QString::fromLatin1(fileName));
        return nullptr;
    }
    QLibrary library(QString::fromStdString(file));
    // Every symbol bound now: a part that does not fit the program fails
    // here, not in the middle of a command.
    library.setLoadHints(QLibrary::ResolveAllSymbolsHint);
    if (!library.load()) {
        problem = QStringLiteral("its part %1 cannot be loaded: %2")
                      .arg(QString::fromStdString(file), library.errorString());
        return nullptr;
    }
    using BuildFunction = const char* (*)();
    auto build = reinterpret_cast<BuildFunction>(library.resolve("tally_part_build"));
    QFunctionPointer function = library.resolve(symbol);
    if (build == nullptr || function == nullptr || std::strcmp(build(), TALLY_BUILD_ID) != 0) {
        problem = QStringLiteral("its part %1 belongs to another build of Tallyhour Zide")
                      .arg(QString::fromStdString(file));
        return nullptr;
    }
    return reinterpret_cast<void*>(function);
}

} // namespace tally
