#include <memory>
#include <string>

#include "InputFixtures.h"
#include "controls/Content.h"
#include "controls/TextBox.h"
#include "controls/TextControls.h"
#include "draw2d/cairo/CanvasCairo.h"
#include "draw2d/cairo/TextLayoutCairo.h"
#include "platform/Clipboard.h"

using namespace input_fixtures;

namespace {

constexpr uint16_t VkBack = 8, VkReturn = 13, VkEnd = 35, VkHome = 36, VkLeft = 37, VkRight = 39,
                   VkDelete = 46;

// Counts the three events of a text box.
struct TEvents {
  int Change = 0, Tracking = 0, Typing = 0;
  void Watch(TuiCustomTextBox& Box) {
    Box.OnChange = [this](TuiObject*) { ++Change; };
    Box.OnChangeTracking = [this](TuiObject*) { ++Tracking; };
    Box.OnTyping = [this](TuiObject*) { ++Typing; };
  }
};

class TextBoxTest : public InputTest {
 protected:
  // A styled HUD box at (10, 10), 36 x 22 like the display's, holding Text.
  TuiHudTextBox* NewBox(const std::u16string& Text, float Width = 36) {
    auto* box = Add(new TuiHudTextBox(Root()), 10, 10, Width, 22);
    box->SetText(Text);
    Host.PaintTree();
    return box;
  }
  void TearDown() override {
    InputTest::TearDown();
    platform::Clipboard().SetText("");
  }

  TEvents Events;
};

TEST_F(TextBoxTest, FocusSelectsAllTypingReplacesItAndOnlyCommitsFireOnChange) {
  TuiHudTextBox* box = NewBox(u"00");
  auto* other = Add(new TuiHudTextBox(Root()), 10, 50, 36, 22);
  Events.Watch(*box);

  Click(20, 20);
  ASSERT_EQ(Host.GetFocused(), box);
  EXPECT_EQ(box->SelText(), u"00");
  ASSERT_NE(box->Caret(), nullptr);
  EXPECT_TRUE(box->Caret()->Visible());

  Type(u"1");
  EXPECT_EQ(box->Text(), u"1");
  EXPECT_EQ(box->CaretPosition(), 1);
  EXPECT_EQ(Events.Tracking, 1);
  EXPECT_EQ(Events.Typing, 1);
  EXPECT_EQ(Events.Change, 0);

  Press(VkReturn);
  EXPECT_EQ(Events.Change, 1);
  Press(VkReturn);  // still changed since the focus came
  EXPECT_EQ(Events.Change, 2);

  Click(20, 60);  // focus moves away: one more commit
  EXPECT_EQ(Host.GetFocused(), other);
  EXPECT_EQ(Events.Change, 3);
  EXPECT_FALSE(box->Caret()->Visible());

  // Written by program while unfocused: tracked, and forgotten by the next focus.
  box->SetText(u"42");
  EXPECT_EQ(Events.Tracking, 2);
  Click(20, 20);
  Click(20, 60);
  EXPECT_EQ(Events.Change, 3);
}

TEST_F(TextBoxTest, TypingRespectsMaxLengthAndTheFilter) {
  TuiHudTextBox* box = NewBox(u"00");
  box->SetMaxLength(3);
  Events.Watch(*box);
  Host.SetFocused(box);
  Type(u"1.2.");
  EXPECT_EQ(box->Text(), u"1.2");  // the fourth would overflow: dropped whole
  EXPECT_EQ(box->CaretPosition(), 3);
  EXPECT_EQ(Events.Typing, 4);
  EXPECT_EQ(Events.Tracking, 3);

  // Replacing a selection may make the text shorter; then typing goes on at the caret.
  Press(0, U'a', uxCtrl);
  Type(u"9");
  Type(u"8");
  EXPECT_EQ(box->Text(), u"98");

  box->SetFilterChars(u"0123456789");
  Type(u"x7");
  EXPECT_EQ(box->Text(), u"987");
}

TEST_F(TextBoxTest, ClipboardRoundTripsThroughTheInstalledClipboard) {
  TuiHudTextBox* box = NewBox(u"é5 ab");
  auto* other = Add(new TuiHudTextBox(Root()), 10, 50, 80, 22);
  Host.SetFocused(box);
  Press(VkHome);
  Press(VkRight, 0, uxShift);
  Press(VkRight, 0, uxShift);
  Press(0, U'c', uxCtrl);
  EXPECT_EQ(platform::Clipboard().GetText(),
            "\xC3\xA9"
            "5");  // UTF-8

  Host.SetFocused(other);
  Press(0, 22, uxCtrl);  // Ctrl+V as the control character some keyboards send
  Press(0, U'V', uxCtrl);
  EXPECT_EQ(other->Text(), u"é5é5");

  // Cut, and the window layer's clipboard once one is installed.
  platform::TMemoryClipboard installed;
  platform::SetClipboard(&installed);
  Press(0, U'a', uxCtrl);
  Press(0, U'x', uxCtrl);
  platform::SetClipboard(nullptr);
  EXPECT_EQ(other->Text(), u"");
  EXPECT_EQ(installed.GetText(),
            "\xC3\xA9"
            "5\xC3\xA9"
            "5");
  EXPECT_EQ(platform::Clipboard().GetText(),
            "\xC3\xA9"
            "5");
}

TEST_F(TextBoxTest, KeysMoveTheCaretAndShiftSelects) {
  struct TCase {
    const char16_t* Text;
    int Caret;
    uint16_t Key;
    TuiShiftState Shift;
    int Times;
    int ExpectedCaret;
    const char16_t* Selected;
  } cases[] = {
      {u"abcdef", 5, VkLeft, uxShift, 2, 3, u"de"},  // characters 4 and 5
      {u"abcdef", 1, VkRight, uxShift, 2, 3, u"bc"},
      {u"abcdef", 2, VkEnd, uxShift, 1, 6, u"cdef"},
      {u"abcdef", 4, VkHome, 0, 1, 0, u""},
      {u"ab cd", 0, VkRight, uxCtrl, 1, 3, u""},  // past the word and its space
      {u"ab cd", 5, VkLeft, uxCtrl, 1, 3, u""},
      {u"ab  cd ef", 9, VkLeft, uxCtrl | uxShift, 2, 4, u"cd ef"},
      {u"ab", 0, VkLeft, 0, 1, 0, u""},
  };
  for (const TCase& k : cases) {
    TuiHudTextBox* box = NewBox(k.Text, 200);
    Host.SetFocused(box);
    box->SetSelStart(k.Caret);
    for (int i = 0; i < k.Times; ++i) Press(k.Key, 0, k.Shift);
    EXPECT_EQ(box->CaretPosition(), k.ExpectedCaret) << int(k.Key);
    EXPECT_EQ(box->SelText(), k.Selected) << int(k.Key);
    box->Free();
  }
}

TEST_F(TextBoxTest, BackspaceAndDeleteEditAroundTheCaretAndAlwaysReportTyping) {
  TuiHudTextBox* box = NewBox(u"abcd");
  Host.SetFocused(box);
  Events.Watch(*box);
  box->SetSelStart(0);
  Press(VkBack);  // nothing before the caret
  EXPECT_EQ(box->Text(), u"abcd");
  EXPECT_EQ(Events.Typing, 1);
  EXPECT_EQ(Events.Tracking, 0);
  Press(VkDelete);
  EXPECT_EQ(box->Text(), u"bcd");
  EXPECT_EQ(box->CaretPosition(), 0);
  Press(VkEnd);
  Press(VkBack);
  EXPECT_EQ(box->Text(), u"bc");
  EXPECT_EQ(box->CaretPosition(), 2);
  // Shift+Delete on a selection cuts it.
  Press(VkHome, 0, uxShift);
  Press(VkDelete, 0, uxShift);
  EXPECT_EQ(box->Text(), u"");
  EXPECT_EQ(platform::Clipboard().GetText(), "bc");
  EXPECT_EQ(Events.Typing, 4);
}

TEST_F(TextBoxTest, ReadOnlyKeepsItsTextButStillCopies) {
  TuiHudTextBox* box = NewBox(u"fixed");
  box->SetReadOnly(true);
  Events.Watch(*box);
  Host.SetFocused(box);
  platform::Clipboard().SetText("new");
  Type(u"x");
  Press(0, U'v', uxCtrl);
  Press(VkBack);
  Press(0, U'x', uxCtrl);
  EXPECT_EQ(box->Text(), u"fixed");
  EXPECT_EQ(platform::Clipboard().GetText(), "fixed");  // the cut still copied
  EXPECT_EQ(Events.Tracking, 0);
  const auto menu = box->EditMenuState();
  EXPECT_TRUE(menu.Copy);
  EXPECT_FALSE(menu.Cut || menu.Paste || menu.Delete || menu.SelectAll);
}

TEST_F(TextBoxTest, CaretPositionsAndPointsAreInverseAndTheCaretStaysInView) {
  TuiHudTextBox* box = NewBox(u"", 36);
  Host.SetFocused(box);
  Type(u"12345678901234567890");
  const TuiRect content = box->ContentRect();
  EXPECT_EQ(content.Left, 3);
  EXPECT_GT(box->FirstVisibleChar(), 1);
  EXPECT_LE(box->CaretX(box->CaretPosition()), content.Right);
  EXPECT_GE(box->CaretX(box->FirstVisibleChar() - 1), content.Left);
  // The caret shape follows.
  EXPECT_NEAR(box->Caret()->Position()->X(), box->CaretX(box->CaretPosition()) - 1, 0.5f);

  Press(VkHome);
  EXPECT_EQ(box->FirstVisibleChar(), 1);
  for (int p = 0; p <= 4; ++p) EXPECT_EQ(box->PositionAtX(box->CaretX(p)), p);

  // A click on a focused box puts the caret under the pointer; a drag selects.
  const float x3 = 10 + box->CaretX(3);
  Click(x3, 20);
  EXPECT_EQ(box->CaretPosition(), 3);
  Host.MouseDown(uxMouseLeft, uxLeftButton, 10 + box->CaretX(1), 20);
  Host.MouseMove(uxLeftButton, x3, 20);
  Host.MouseUp(uxMouseLeft, 0, x3, 20);
  EXPECT_EQ(box->SelText(), u"23");
}

// A long paste scrolls to its end with the text measured once, not once per
// scroll step, and keeps no long text laid out; painting lays out only what
// the box shows.
TEST_F(TextBoxTest, ALongPasteIsMeasuredOnceAndPaintedByWhatShows) {
  TuiHudTextBox* box = NewBox(u"", 36);
  auto* canvas = dynamic_cast<TuiCanvasCairo*>(&Host.Buffer());
  ASSERT_NE(canvas, nullptr);
  TuiCairoFonts& fonts = canvas->Fonts();
  std::string digits;
  for (int i = 0; i < 20000; ++i) digits += char('0' + i % 10);
  platform::Clipboard().SetText(digits);
  Host.SetFocused(box);
  const uint64_t made = fonts.LayoutsMade();
  Press(0, U'v', uxCtrl);
  const std::u16string& text = box->Text();
  ASSERT_EQ(text.size(), digits.size());
  // One layout for each piece the canvas lays out at a time.
  EXPECT_LE(fonts.LayoutsMade() - made, digits.size() / TuiCanvas::MaxLaidOutText + 2);
  EXPECT_LT(fonts.CachedBytes(), TuiCairoFonts::LayoutCost(1000));

  // Scrolled as far as it must and no further, by the canvas's own measure.
  const int first = box->FirstVisibleChar();
  const float room = box->ContentRect().Width();
  EXPECT_LE(box->TextWidth(std::u16string_view(text).substr(size_t(first - 1))), room);
  EXPECT_GT(box->TextWidth(std::u16string_view(text).substr(size_t(first - 2))), room);

  Press(VkHome);
  EXPECT_EQ(box->FirstVisibleChar(), 1);
  Host.InvalidateAll();
  Host.PaintTree();
  EXPECT_LT(fonts.CachedBytes(), TuiCairoFonts::LayoutCost(1000));
  EXPECT_EQ(box->PositionAtX(box->CaretX(7)), 7);
}

TEST_F(TextBoxTest, PasswordShowsOneDotPerCharacter) {
  TuiHudTextBox* box = NewBox(u"abc", 100);
  box->SetPassword(true);
  box->Font()->SetSize(12);
  EXPECT_FLOAT_EQ(box->CaretX(2) - box->CaretX(0), 12);
  Host.InvalidateAll();
  Host.PaintTree();
  // Dots of 5 every 6 units from the content's left (13), centred on the
  // content's middle row (10 + 11).
  auto pixel = [&](int X, int Y) { return Host.Buffer().BufferBits()[Y * Host.Buffer().Width() + X]; };
  auto green = [](uint32_t C) { return (C >> 8) & 0xFF; };
  for (int dot = 0; dot < 3; ++dot) {
    EXPECT_GT(green(pixel(13 + 6 * dot + 2, 21)), 0x80u) << dot;  // centre of the dot: white
    EXPECT_LT(green(pixel(13 + 6 * dot + 5, 21)), 0x40u) << dot;  // the gap: the black back
  }
  EXPECT_LT(green(pixel(13 + 6 * 3 + 2, 21)), 0x40u);  // no fourth dot
}

TEST_F(TextBoxTest, CommitsPushTheTextToBoundControls) {
  TuiHudTextBox* box = NewBox(u"00");
  auto* label = Add(new TuiLabel(Root()), 10, 80, 100, 15);
  label->SetBindingSource(box);
  EXPECT_EQ(label->Text(), "00");
  Host.SetFocused(box);
  Type(u"1.2.");
  EXPECT_EQ(label->Text(), "00");
  Press(VkReturn);
  EXPECT_EQ(label->Text(), "1.2.");

  box->SetData(TuiData{int64_t(7)});
  EXPECT_EQ(box->Text(), u"7");
  box->SetData(TuiData{});
  EXPECT_EQ(box->Text(), u"");
}

TEST_F(TextBoxTest, StreamsWriteTheFlagsAlwaysAndTheTextInTheCodePage) {
  TuiTextBox plain(nullptr);
  EXPECT_EQ(plain.ObjectToText(),
            "object TuiTextBox\n  Width = 100\n  Height = 22\n  ReadOnly = False\n  Password = False\nend\n");

  auto read = std::unique_ptr<TuiObject>(TuiObject::CreateObjectFromText(
      nullptr, "object T: TuiHudTextBox\n  TextAlign = uxTextAlignFar\n  Text = 'caf\xE9'\nend\n"));
  auto* box = dynamic_cast<TuiHudTextBox*>(read.get());
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(box->Text(), u"café");
  EXPECT_EQ(box->TextUtf8(), "caf\xC3\xA9");
  EXPECT_EQ(box->TextAlign(), uxTextAlignFar);

  // A stored maximum length holds typing to it.
  auto limited = std::unique_ptr<TuiObject>(
      TuiObject::CreateObjectFromText(nullptr, "object T: TuiTextBox\n  MaxLength = 4\nend\n"));
  auto* four = dynamic_cast<TuiTextBox*>(limited.get());
  ASSERT_NE(four, nullptr);
  EXPECT_EQ(four->MaxLength(), 4);
  four->InsertText(u"1.2.3");
  EXPECT_EQ(four->Text(), u"");
  four->InsertText(u"1.2.");
  EXPECT_EQ(four->Text(), u"1.2.");
  EXPECT_NE(four->ObjectToText().find("\n  MaxLength = 4\n"), std::string::npos);
}

}  // namespace
