// Helpers for the tests of the installable files: reading them from the
// source tree, the words of a keyword family, and running the bash
// completion function on a made-up command line.
#pragma once

#include <set>
#include <string>
#include <vector>

namespace orvex::test_support {

// A file of the source tree, by its path from the top folder.
std::string ReadSourceFile(const std::string& relativePath);

// Every word of keyword family `family`, in table order.
std::vector<std::string> FamilyWords(int family);

// Sources the completion script in a fresh bash, sets COMP_WORDS to
// `words` (the word being completed last), calls the completion function
// and gives back what it offers. `workingFolder` is where bash runs.
std::vector<std::string> Complete(const std::vector<std::string>& words,
                                  const std::string& workingFolder = "/");

}  // namespace orvex::test_support
