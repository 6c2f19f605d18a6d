#include "update/rtf_text.h"

#include <gtest/gtest.h>

namespace zeda {
namespace {

TEST(RtfText, TextWithParagraphsAndEmphasis) {
  const std::string rtf =
      "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}}{\\colortbl;\\red255\\green0\\blue0;}"
      "\\f0 New {\\b version} is {\\i out}\\par Second \\ul line\\ulnone .}";
  EXPECT_EQ(RtfToRichText(rtf), "New <b>version</b> is <i>out</i><br>Second <u>line</u>.");
}

TEST(RtfText, CharactersFromCodePageAndUnicode) {
  EXPECT_EQ(RtfToRichText("{\\rtf1 Zp\\'ect \\u269?esky \\u-3913?}"), "Zpět česky \xEF\x82\xB7");
  EXPECT_EQ(RtfToRichText("{\\rtf1 a\\~b\\{c\\}d\\\\e}"),
            "a\xC2\xA0"
            "b{c}d\\e");
  EXPECT_EQ(RtfToRichText("{\\rtf1\\uc2 x\\u269\\'e8\\'e8y}"), "xčy");
}

TEST(RtfText, EmbeddedObjectsPicturesAndFieldCodesShowNothing) {
  const std::string rtf =
      "{\\rtf1 A{\\pict\\pngblip 89504e47}B{\\object\\objemb{\\*\\objdata 0102}}C"
      "{\\*\\unknowndest hidden}D{\\field{\\*\\fldinst HYPERLINK \"file:///x\"}{\\fldrslt link}}"
      "E\\bin4 \\}{}F}";
  EXPECT_EQ(RtfToRichText(rtf), "ABCDlinkEF");
}

TEST(RtfText, MarkupInTheTextIsEscapedNotObeyed) {
  const std::string out = RtfToRichText("{\\rtf1 <img src=\"http://x\"> & <a href=x>}");
  EXPECT_EQ(out, "&lt;img src=&quot;http://x&quot;&gt; &amp; &lt;a href=x&gt;");
  EXPECT_EQ(PlainToRichText("a<b>\r\nc&"), "a&lt;b&gt;<br>c&amp;");
}

TEST(RtfText, BrokenInputIsReadSafely) {
  // Unbalanced groups, a cut control word and escape, deep nesting, a huge \bin.
  EXPECT_EQ(RtfToRichText("}}}{\\rtf1 ok"), "ok");
  EXPECT_EQ(RtfToRichText("{\\rtf1 x\\"), "x");
  EXPECT_EQ(RtfToRichText("{\\rtf1 x\\'e"), "x");
  EXPECT_EQ(RtfToRichText("{\\rtf1 x\\bin999999999 abc}"), "x");
  const std::string deep = std::string(100000, '{') + "deep" + std::string(100000, '}') + "end";
  EXPECT_EQ(RtfToRichText(deep), "end");
  EXPECT_EQ(RtfToRichText(std::string(30, '{') + "shallow"), "shallow");
  EXPECT_EQ(RtfToRichText("{\\rtf1 \\b\\i x\\b0 y}"), "<b><i>x</i></b><i>y</i>");
}

}  // namespace
}  // namespace zeda
