#include "QnEngine.h"

#include "QnParse.h"

bool QnCompileFile(const std::string& path, QnProgram* program, std::string* error) {
  QnSourceReader reader;
  return QnParseProgram(reader, path, program, error);
}

bool QnCompileMemory(const std::map<std::string, std::string>& files, const std::string& mainPath,
                     QnProgram* program, std::string* error) {
  QnSourceReader reader;
  reader.memory = &files;
  return QnParseProgram(reader, mainPath, program, error);
}
