// QnParse: the parser. A recursive-descent parser over the lexer's tokens
// that checks names and types as it goes and drives the code generator
// directly (no syntax tree). Each parse function opens with the grammar rule
// it reads. The first error ends the compilation: it is reported as
// "file(line): message" and nothing runs.
#pragma once

#include <string>

#include "QnProgram.h"
#include "QnSource.h"

// Compiles the script whose main file is `mainPath`, reading every file
// through `reader`. True with a complete program; false with *error set.
bool QnParseProgram(const QnSourceReader& reader, const std::string& mainPath,
                    QnProgram* program, std::string* error);
