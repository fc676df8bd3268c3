#pragma once

#include <QString>

/// A system library the program loads when it first needs it, not at start: the built-in
/// synthesizer's and the sound files'. Each user resolves its functions into a table typed by
/// the library's own header; the library stays loaded to the end of the program.
class SharedLibrary {
public:
    /// Loads @p fileName (a soname); the environment variable @p override, when set, names
    /// another file instead, so that a missing library can be tried without removing it.
    SharedLibrary(const char* fileName, const char* override, const char* package);
    SharedLibrary(const SharedLibrary&) = delete;
    SharedLibrary& operator=(const SharedLibrary&) = delete;

    /// Fills @p function with the library's @p name; a missing one fails the whole library.
    template <typename Function> void resolve(Function*& function, const char* name) {
        function = reinterpret_cast<Function*>(symbol(name));
    }

    /// True when the library and every resolved function were found.
    bool loaded() const { return m_failure.isEmpty(); }
    /// What the user reads when it was not: the library and the package that holds it.
    QString missingText() const;

private:
    void* symbol(const char* name);

    void* m_handle = nullptr;
    QString m_fileName;
    const char* m_package;
    QString m_failure; ///< the loader's own words, empty when all is well
};

/// In a table of a library's functions: a member named and typed as the function in the
/// library's header, and, in the table's constructor, its resolution through the member @c file.
#define Z1RPW3RK_LIBRARY_FUNCTION(name) decltype(&::name) name = nullptr;
#define Z1RPW3RK_LIBRARY_RESOLVE(name) file.resolve(name, #name);
