#include "BoxRecording.h"

#include <map>

#include "memory/List.h"
#include "util/Text.h"

namespace {

std::map<const BoxRecord*, BoxRecording*>& Recordings() {
  static std::map<const BoxRecord*, BoxRecording*> recordings;
  return recordings;
}

BoxRecording& Of(BoxRecord* box) { return *Recordings().at(box); }

const BoxView kRecordingView = {
    [](BoxRecord* box, int32_t index) { Of(box).redrawn.push_back(index); },
    [](BoxRecord* box, int erase) { Of(box).erasingInvalidations += erase ? 1 : 0; },
    [](BoxRecord* box, int32_t dx, int32_t dy) { Of(box).contentMoves.emplace_back(dx, dy); },
    [](BoxRecord* box, int32_t maximum, int32_t position) {
      Of(box).verticalSets++;
      Of(box).verticalMaximum = maximum;
      Of(box).verticalPosition = position;
    },
    nullptr,
    [](BoxRecord* box, int32_t width, int32_t height) {
      Of(box).resizes.emplace_back(width, height);
      if (Of(box).duringResize) Of(box).duringResize();
    },
};

int32_t RecordSelect(BoxRecord* box, int32_t index, BoxLine*) {
  Of(box).selected.push_back(index);
  return 0;
}
int32_t RecordScroll(BoxRecord* box, int32_t top) {
  Of(box).scrolled.push_back(top);
  return 0;
}
int32_t RecordDelete(BoxRecord* box, int32_t index, BoxLine*) {
  Of(box).deleteAsked.push_back(index);
  return Of(box).deleteAnswer;
}

}  // namespace

void BoxRecording::Clear() {
  redrawn.clear();
  erasingInvalidations = 0;
  contentMoves.clear();
  verticalSets = 0;
  resizes.clear();
  selected.clear();
  scrolled.clear();
  deleteAsked.clear();
}

TestBox::TestBox(uint32_t flags, int32_t pageLines) : box(BoxRecordTake(flags)) {
  if (!box) return;
  Recordings()[box] = &recording;
  box->view = &kRecordingView;
  box->lineHeight = 10;
  BoxSetCallback(box, kBoxCallbackSelect, reinterpret_cast<BoxCallback>(RecordSelect));
  BoxSetCallback(box, kBoxCallbackScroll, reinterpret_cast<BoxCallback>(RecordScroll));
  BoxSetCallback(box, kBoxCallbackDelete, reinterpret_cast<BoxCallback>(RecordDelete));
  BoxFitHeight(box, 100, pageLines * 10, 0, 0);
  recording.Clear();
}

TestBox::~TestBox() {
  Recordings().erase(box);
  BoxRecordRelease(box);
}

List* BoxLineList(const std::vector<std::string>& texts) {
  List* list = ListCreate(sizeof(BoxLine));
  BoxLine line{};
  for (size_t i = 0; i < texts.size(); i++) {
    TextCopy(line.text, sizeof line.text, texts[i].c_str());
    line.colorIndex = static_cast<int32_t>(i % 4);
    ListAdd(list, &line);
  }
  return list;
}

int TestBox::Fill(const std::vector<std::string>& texts) {
  List* list = BoxLineList(texts);
  int result = BoxSetLines(box, list);
  ListDestroy(list);
  return result;
}

std::vector<std::string> TestBox::Texts() const {
  std::vector<std::string> texts;
  for (int32_t i = 0; i < box->lineCount; i++) texts.push_back(BoxLineAt(box, i)->text);
  return texts;
}

std::string TestBox::Text(int32_t index) const {
  const BoxLine* line = BoxLineAt(box, index);
  return line ? line->text : "<none>";
}
