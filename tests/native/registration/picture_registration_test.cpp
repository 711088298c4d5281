// The registration engine's search and copy decisions, through in-memory
// ports.
#include <gtest/gtest.h>

#include "app/picture_registration.h"
#include "registration_fakes.h"

namespace tapestrel::app {
namespace {

using A = OverwriteAnswer;
using Strings = std::vector<std::string>;
constexpr char kWall[] = "C:\\Wall";
constexpr char kMask[] = "*.bmp;*.jpg;*.png;";

class RegistrationTest : public ::testing::Test {
 protected:
  testing::FakeTree tree;
  testing::FakeProgress progress;
  testing::ScriptedQuestion question;
  PictureRegistration engine{{tree, progress, question}};

  int Register(const Strings& entries, const std::string& wall = kWall, const std::string& mask = kMask) {
    return engine.RegisterPictures(entries, wall, mask);
  }
  // The window closed, the main window and the browser's drawing back.
  void ExpectRestored() const {
    EXPECT_FALSE(progress.shown);
    EXPECT_TRUE(progress.mainEnabled);
    EXPECT_FALSE(progress.redrawSuspended);
    EXPECT_EQ(progress.closes, 1);
    EXPECT_FALSE(engine.Running());
  }
};

TEST_F(RegistrationTest, AFolderTreeGivesItsPicturesWithTheCountToTheTotal) {
  tree.Add("D:\\in\\a.jpg", "A");
  tree.Add("D:\\in\\b.txt");
  tree.Add("D:\\in\\sub\\c.png");
  tree.Add("D:\\in\\sub\\deeper\\d.BMP");
  tree.Add("D:\\in\\.git\\e.jpg");  // dot folders are not searched, found or given
  tree.Add("D:\\.cache\\f.jpg");
  tree.Add("D:\\in\\.g.jpg");  // but dot files are files

  EXPECT_EQ(Register({"D:\\.cache", "D:\\in\\"}), 4);
  EXPECT_EQ(tree.Copies(), (Strings{"new C:\\Wall\\a.jpg", "new C:\\Wall\\c.png", "new C:\\Wall\\d.BMP",
                                    "new C:\\Wall\\.g.jpg"}));
  EXPECT_EQ(tree.files["C:\\Wall\\a.jpg"], "A");
  EXPECT_EQ(progress.states, (Strings{kStateSearching, kStateCopying}));
  EXPECT_EQ(progress.counts, (Strings{"0/0", "0/1", "0/2", "0/3", "0/4", "1/4", "2/4", "3/4", "4/4"}));
  EXPECT_EQ(progress.maximum, 4);
  EXPECT_EQ(progress.position, 4);
  EXPECT_EQ(progress.fileName, ".g.jpg");
  EXPECT_EQ(tree.log.back(), "done C:\\Wall");  // temporary space tidied once, at the end
  ExpectRestored();
}

TEST_F(RegistrationTest, ThePictureMaskIsASubstringOfTheLowerCasedExtension) {
  const std::pair<const char*, bool> names[] = {
      {"x.jpg", true}, {"y.JPG", true}, {"x.jp", true},   {"x.j", true},     {".jpg", true},
      {"x", false},    {"x.", false},   {"x.txt", false}, {"x.jpeg", false}, {"x.pg", false},
  };
  for (const auto& [name, registered] : names) tree.Add(std::string("D:\\p\\") + name);
  Register({"D:\\p"}, kWall, "*.BMP;*.JPG");
  for (const auto& [name, registered] : names)
    EXPECT_EQ(tree.files.count(std::string("C:\\Wall\\") + name), registered ? 1u : 0u) << name;
}

TEST_F(RegistrationTest, OnlyRealEntriesOutsideTheWallpaperFolderAreTaken) {
  tree.Add("C:\\Wall\\a.jpg");
  tree.Add("C:\\Wall\\sub\\b.jpg");
  tree.Add("D:\\in\\loop\\c.jpg");
  tree.links = {"D:\\in\\loop"};
  // The wallpaper folder in another case: nothing found, closed at once.
  EXPECT_EQ(Register({"c:\\wall\\a.jpg", "", "D:\\in\\?.jpg", "D:\\in\\*.jpg", "D:\\missing.jpg"}), 0);
  EXPECT_EQ(progress.states, Strings{kStateSearching});
  ExpectRestored();
  // A stored folder with its backslash is the same folder; subfolders are not.
  EXPECT_EQ(Register({"C:\\Wall"}, "C:\\Wall\\"), 1);
  // A link is followed when given, never met inside a folder (it may lead back up).
  EXPECT_EQ(Register({"D:\\in"}), 0);
  EXPECT_EQ(Register({"D:\\in\\loop"}), 1);
  EXPECT_EQ(tree.Copies(), (Strings{"new C:\\Wall\\b.jpg", "new C:\\Wall\\c.jpg"}));
  EXPECT_EQ(engine.RegisterPictures({"D:\\in\\loop"}, "", kMask), 0);  // no wallpaper folder: no window
  EXPECT_EQ(progress.opens, 4);
}

// Found order e1, n, e2, e3; the e files are in the wallpaper folder already.
TEST_F(RegistrationTest, EveryAnswerToTheOverwriteQuestionDoesWhatItSays) {
  struct Case {
    std::vector<A> answers;
    Strings asked;
    Strings replaced;
    bool newCopied;
    std::string count;
  };
  const Case cases[] = {
      {{A::Yes, A::No, A::No}, {"e1", "e2", "e3"}, {"e1"}, true, "4/4"},
      {{A::Yes, A::YesToAll}, {"e1", "e2"}, {"e1", "e2", "e3"}, true, "4/4"},
      {{A::NoToAll}, {"e1"}, {}, true, "4/4"},
      {{A::No, A::Cancel}, {"e1", "e2"}, {}, true, "3/4"},
      {{A::Cancel}, {"e1"}, {}, false, "1/4"},
  };
  for (const Case& c : cases) {
    testing::FakeTree files;
    testing::FakeProgress shown;
    testing::ScriptedQuestion asked;
    for (const char* name : {"e1", "n", "e2", "e3"})
      files.Add(std::string("D:\\in\\") + name + ".jpg", "new");
    for (const char* name : {"e1", "e2", "e3"}) files.Add(std::string("C:\\Wall\\") + name + ".jpg", "old");
    asked.answers.assign(c.answers.begin(), c.answers.end());
    // Not a byte is copied before the answer, nor for a file left out.
    Strings wastedAtQuestion;
    asked.onAsk = [&] {
      if (files.written != 3 * files.Copies().size()) wastedAtQuestion.push_back(asked.asked.back());
    };
    PictureRegistration{{files, shown, asked}}.RegisterPictures({"D:\\in"}, kWall, kMask);

    const std::string title = ::testing::PrintToString(c.asked) + " answered";
    Strings askedNames, replaced;
    for (const std::string& name : asked.asked) askedNames.push_back(name.substr(0, name.size() - 4));
    for (const char* name : {"e1", "e2", "e3"}) {
      if (files.files[std::string("C:\\Wall\\") + name + ".jpg"] == "new") replaced.push_back(name);
    }
    EXPECT_EQ(askedNames, c.asked) << title;
    EXPECT_EQ(replaced, c.replaced) << title;
    EXPECT_EQ(files.files.count("C:\\Wall\\n.jpg"), c.newCopied ? 1u : 0u) << title;
    EXPECT_EQ(shown.counts.back(), c.count) << title;
    EXPECT_EQ(wastedAtQuestion, Strings{}) << title;
    EXPECT_EQ(files.written, 3 * (replaced.size() + (c.newCopied ? 1 : 0))) << title;
  }
}

TEST_F(RegistrationTest, StopEndsTheSearchWithNothingCopiedAndTheCopyBeforeTheNextFile) {
  for (int i = 0; i < 5; ++i)
    tree.Add("D:\\in\\sub" + std::to_string(i) + "\\p" + std::to_string(i) + ".jpg");
  // Pumps: the entry, sub0, p0.jpg, sub1: stopped there.
  progress.onPump = [this](int pump) {
    if (pump == 4) progress.ClickStop();
  };
  EXPECT_EQ(Register({"D:\\in"}), 0);
  EXPECT_EQ(tree.log, (Strings{"list D:\\in\\", "list D:\\in\\sub0\\"}));
  ExpectRestored();

  // Eleven pumps search; the third copy is stopped.
  testing::FakeProgress copying;
  copying.onPump = [&](int pump) {
    if (pump == 11 + 3) copying.ClickStop();
  };
  EXPECT_EQ(PictureRegistration({tree, copying, question}).RegisterPictures({"D:\\in"}, kWall, kMask), 2);
  EXPECT_EQ(copying.counts.back(), "2/5");

  // Inside a large file, between its pieces: that file goes, and none after it.
  testing::FakeTree big;
  big.piece = 2;
  big.Add("D:\\in\\big.jpg", "0123456789");
  big.Add("D:\\in\\next.jpg", "n");
  testing::FakeProgress inside;
  // Pumps: the two entries, the first file, its first two pieces.
  inside.onPump = [&](int pump) {
    if (pump == 5) inside.ClickStop();
  };
  EXPECT_EQ(PictureRegistration({big, inside, question})
                .RegisterPictures({"D:\\in\\big.jpg", "D:\\in\\next.jpg"}, kWall, kMask),
            0);
  EXPECT_EQ(big.written, 4u);
  EXPECT_EQ(big.Copies(), Strings{});
  EXPECT_EQ(inside.counts.back(), "0/2");
}

// The names are taken from one listing of the wallpaper folder; what it
// cannot know is asked about all the same.
TEST_F(RegistrationTest, ANameTakenDuringTheRegistrationIsAskedAbout) {
  tree.Add("D:\\in\\a.jpg", "mine");
  tree.Add("D:\\in\\sub\\A.JPG", "mine too");
  tree.Add("D:\\in\\b.jpg", "b");
  tree.arrivesMeanwhile = "C:\\Wall\\b.jpg";  // another program's
  question.answers = {A::No, A::No};
  EXPECT_EQ(Register({"D:\\in"}), 1);
  EXPECT_EQ(question.asked, (Strings{"A.JPG", "b.jpg"}));
  EXPECT_EQ(tree.files["C:\\Wall\\a.jpg"], "mine");
  EXPECT_EQ(tree.files["C:\\Wall\\b.jpg"], "theirs");
}

TEST_F(RegistrationTest, FailuresAndErrorsStillGiveTheMainWindowBack) {
  tree.Add("D:\\in\\a.jpg");
  tree.Add("D:\\in\\b.jpg");
  tree.failCopyOf = "D:\\in\\a.jpg";  // not copied, but handled
  EXPECT_EQ(Register({"D:\\in"}), 1);
  EXPECT_EQ(progress.counts.back(), "2/2");

  tree.throwOnCopyOf = "D:\\in\\b.jpg";
  progress.closes = 0;
  EXPECT_THROW(Register({"D:\\in\\b.jpg"}, "C:\\Other"), std::runtime_error);
  ExpectRestored();
  EXPECT_EQ(tree.log.back(), "done C:\\Other");
}

TEST_F(RegistrationTest, ASecondRegistrationCannotStartInsideTheFirst) {
  tree.Add("D:\\in\\a.jpg");
  int inner = -1;
  progress.onPump = [&](int pump) {
    if (pump == 1) inner = Register({"D:\\in\\a.jpg"});
  };
  EXPECT_EQ(Register({"D:\\in\\a.jpg"}), 1);
  EXPECT_EQ(inner, 0);
  EXPECT_EQ(progress.opens, 1);
}

}  // namespace
}  // namespace tapestrel::app
