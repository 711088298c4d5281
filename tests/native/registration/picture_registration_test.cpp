// The registration engine's search and copy decisions, through in-memory
// ports.
#include <gtest/gtest.h>

#include "app/picture_registration.h"
#include "registration_fakes.h"

namespace tapestrel::app {
namespace {

using testing::FakeProgress;
using testing::FakeTree;
using testing::ScriptedQuestion;
using A = OverwriteAnswer;

constexpr char kWall[] = "C:\\Wall";
constexpr char kMask[] = "*.bmp;*.jpg;*.png;";

class RegistrationTest : public ::testing::Test {
 protected:
  FakeTree tree;
  FakeProgress progress;
  ScriptedQuestion question;
  PictureRegistration engine{{tree, progress, question}};

  void SetUp() override { tree.Add(std::string(kWall) + "\\"); }

  int Register(const std::vector<std::string>& entries, const std::string& mask = kMask) {
    return engine.RegisterPictures(entries, kWall, mask);
  }
  std::vector<std::string> Copies() const {
    std::vector<std::string> out;
    for (const std::string& line : tree.log) {
      if (line.rfind("list ", 0) != 0 && line.rfind("done ", 0) != 0) out.push_back(line);
    }
    return out;
  }
  // The window is closed and the main window usable again.
  void ExpectRestored() const {
    EXPECT_FALSE(progress.shown);
    EXPECT_TRUE(progress.mainEnabled);
    EXPECT_FALSE(progress.redrawSuspended);
    EXPECT_EQ(progress.closes, 1);
    EXPECT_FALSE(engine.Running());
  }
};

TEST_F(RegistrationTest, AFolderTreeGivesItsPicturesInFoundOrderAndCountsToTheTotal) {
  tree.Add("D:\\in\\a.jpg", "A");
  tree.Add("D:\\in\\b.txt", "B");
  tree.Add("D:\\in\\sub\\c.png", "C");
  tree.Add("D:\\in\\sub\\deeper\\d.BMP", "D");

  EXPECT_EQ(Register({"D:\\in"}), 3);
  EXPECT_EQ(Copies(),
            (std::vector<std::string>{"new C:\\Wall\\a.jpg", "new C:\\Wall\\c.png", "new C:\\Wall\\d.BMP"}));
  EXPECT_EQ(tree.files["C:\\Wall\\c.png"], "C");
  EXPECT_EQ(progress.states, (std::vector<std::string>{kStateSearching, kStateCopying}));
  EXPECT_EQ(progress.counts, (std::vector<std::string>{"0/0", "0/1", "0/2", "0/3", "1/3", "2/3", "3/3"}));
  EXPECT_EQ(progress.maximum, 3);
  EXPECT_EQ(progress.position, 3);
  EXPECT_EQ(progress.fileName, "d.BMP");
  EXPECT_EQ(progress.opens, 1);
  EXPECT_EQ(tree.log.back(), "done C:\\Wall");  // the temporary space is tidied once, at the end
  ExpectRestored();
}

TEST_F(RegistrationTest, ThePictureMaskIsASubstringRuleOnTheLowerCasedExtension) {
  struct Case {
    const char* name;
    const char* mask;
    bool registered;
  };
  const Case cases[] = {
      {"x.jpg", "*.jpg;", true},      {"x.JPG", "*.jpg;", true},      {"x.jp", "*.jpg;", true},
      {"x.j", "*.bmp;*.jpg;", true},  {"x.jpeg", "*.jpg;", false},    {"x", "*.jpg;", false},
      {"x.txt", "*.jpg;", false},     {"x.pg", "*.jpg;", false},      {".jpg", "*.jpg;", true},
      {"x.png", "*.BMP;*.PNG", true}, {"x.jpg.txt", "*.jpg;", false},
  };
  for (const Case& c : cases) {
    FakeTree files;
    files.Add("C:\\Wall\\");
    files.Add(std::string("D:\\p\\") + c.name);
    FakeProgress shown;
    PictureRegistration fresh{{files, shown, question}};
    EXPECT_EQ(fresh.RegisterPictures({std::string("D:\\p\\") + c.name}, kWall, c.mask), c.registered ? 1 : 0)
        << c.name << " with " << c.mask;
  }
}

TEST_F(RegistrationTest, DotFoldersAreNeverSearchedButDotFilesAreFiles) {
  tree.Add("D:\\.cache\\a.jpg");
  tree.Add("D:\\in\\.git\\b.jpg");
  tree.Add("D:\\in\\.c.jpg");
  tree.Add("D:\\in\\d.jpg");

  EXPECT_EQ(Register({"D:\\.cache", "D:\\in\\"}), 2);
  EXPECT_EQ(Copies(), (std::vector<std::string>{"new C:\\Wall\\.c.jpg", "new C:\\Wall\\d.jpg"}));
  EXPECT_EQ(tree.log.front(), "list D:\\in\\");  // neither dot folder was listed
}

TEST_F(RegistrationTest, FilesOfTheWallpaperFolderAreNotCopiedOntoThemselves) {
  tree.Add("C:\\Wall\\a.jpg");
  tree.Add("C:\\Wall\\sub\\b.jpg");
  // The same folder in another letter case, and the folder itself.
  EXPECT_EQ(Register({"c:\\wall\\a.jpg", "C:\\Wall\\a.jpg"}), 0);
  EXPECT_TRUE(Copies().empty());
  EXPECT_EQ(progress.states, std::vector<std::string>{kStateSearching});  // closed at once
  EXPECT_TRUE(question.asked.empty());
  ExpectRestored();

  // A stored folder with a trailing backslash is the same folder; its
  // subfolders are other folders.
  FakeProgress shown;
  PictureRegistration fresh{{tree, shown, question}};
  EXPECT_EQ(fresh.RegisterPictures({"C:\\Wall"}, "C:\\Wall\\", kMask), 1);
  EXPECT_EQ(Copies(), std::vector<std::string>{"new C:\\Wall\\b.jpg"});
}

TEST_F(RegistrationTest, EntriesThatAreNoRealPathAreSkipped) {
  tree.Add("D:\\in\\a.jpg");
  tree.Add("D:\\in\\b.jpg");
  EXPECT_EQ(Register({"", "D:\\in\\?.jpg", "D:\\in\\*.jpg", "D:\\missing.jpg", "D:\\in\\b.jpg"}), 1);
  EXPECT_EQ(Copies(), std::vector<std::string>{"new C:\\Wall\\b.jpg"});
}

TEST_F(RegistrationTest, LinksInsideAFolderAreNotFollowedButAGivenLinkIs) {
  tree.Add("D:\\in\\loop\\a.jpg");
  tree.reparse["D:\\in\\loop"] = true;
  tree.Add("D:\\in\\b.jpg");
  EXPECT_EQ(Register({"D:\\in"}), 1);
  EXPECT_EQ(Register({"D:\\in\\loop"}), 1);
  EXPECT_EQ(Copies(), (std::vector<std::string>{"new C:\\Wall\\b.jpg", "new C:\\Wall\\a.jpg"}));
}

// Found order: e1, n1, e2, e3; the e files exist in the wallpaper folder.
TEST_F(RegistrationTest, EveryAnswerOfTheOverwriteQuestionDoesWhatItSays) {
  struct Case {
    const char* title;
    std::vector<A> answers;
    std::vector<std::string> asked;
    std::vector<std::string> copies;
    std::string count;
  };
  const std::string w = "C:\\Wall\\";
  const Case cases[] = {
      {"yes, no, no",
       {A::Yes, A::No, A::No},
       {"e1.jpg", "e2.jpg", "e3.jpg"},
       {"replace " + w + "e1.jpg", "new " + w + "n1.jpg"},
       "4/4"},
      {"yes to all",
       {A::YesToAll},
       {"e1.jpg"},
       {"replace " + w + "e1.jpg", "new " + w + "n1.jpg", "replace " + w + "e2.jpg",
        "replace " + w + "e3.jpg"},
       "4/4"},
      {"no to all", {A::NoToAll}, {"e1.jpg"}, {"new " + w + "n1.jpg"}, "4/4"},
      {"cancel at once", {A::Cancel}, {"e1.jpg"}, {}, "1/4"},
      {"no, then cancel", {A::No, A::Cancel}, {"e1.jpg", "e2.jpg"}, {"new " + w + "n1.jpg"}, "3/4"},
      {"yes then yes to all",
       {A::Yes, A::YesToAll},
       {"e1.jpg", "e2.jpg"},
       {"replace " + w + "e1.jpg", "new " + w + "n1.jpg", "replace " + w + "e2.jpg",
        "replace " + w + "e3.jpg"},
       "4/4"},
  };
  for (const Case& c : cases) {
    FakeTree files;
    for (const char* name : {"e1.jpg", "e2.jpg", "e3.jpg"}) files.Add(w + name, "old");
    for (const char* name : {"e1.jpg", "n1.jpg", "e2.jpg", "e3.jpg"})
      files.Add(std::string("D:\\in\\") + name, "new");
    FakeProgress shown;
    ScriptedQuestion asked;
    asked.answers.assign(c.answers.begin(), c.answers.end());
    PictureRegistration fresh{{files, shown, asked}};
    fresh.RegisterPictures({"D:\\in"}, kWall, kMask);

    std::vector<std::string> copies(files.log.begin() + 1,
                                    files.log.end() - 1);  // between listing and tidying
    EXPECT_EQ(asked.asked, c.asked) << c.title;
    EXPECT_EQ(copies, c.copies) << c.title;
    EXPECT_EQ(shown.count, c.count) << c.title;
    EXPECT_TRUE(asked.answers.empty()) << c.title;
    for (const char* name : {"e1.jpg", "e2.jpg", "e3.jpg"}) {
      const bool replaced = std::count(c.copies.begin(), c.copies.end(), "replace " + w + name) != 0;
      EXPECT_EQ(files.files[w + name], replaced ? "new" : "old") << c.title << " " << name;
    }
  }
}

TEST_F(RegistrationTest, StopDuringTheSearchCopiesNothing) {
  for (int i = 0; i < 5; ++i) tree.Add("D:\\in\\sub" + std::to_string(i) + "\\p.jpg");
  progress.onPump = [this](int pump) {
    if (pump == 4) progress.ClickStop();
  };
  EXPECT_EQ(Register({"D:\\in"}), 0);
  EXPECT_TRUE(Copies().empty());
  // Pumps: entry, sub0, sub0\p.jpg, sub1 (stopped): no further listing.
  EXPECT_EQ(tree.log, (std::vector<std::string>{"list D:\\in\\", "list D:\\in\\sub0\\"}));
  EXPECT_EQ(progress.pumps, 4);
  ExpectRestored();
}

TEST_F(RegistrationTest, StopDuringTheCopyEndsBeforeTheNextFile) {
  for (int i = 0; i < 5; ++i) tree.Add("D:\\in\\p" + std::to_string(i) + ".jpg");
  int searchPumps = 6;  // the entry and five files
  progress.onPump = [&](int pump) {
    if (pump == searchPumps + 3) progress.ClickStop();  // before the third copy
  };
  EXPECT_EQ(Register({"D:\\in"}), 2);
  EXPECT_EQ(Copies().size(), 2u);
  EXPECT_EQ(progress.count, "2/5");
  ExpectRestored();
}

TEST_F(RegistrationTest, FailedCopiesAreCountedAsHandledButNotAsCopied) {
  tree.Add("D:\\in\\a.jpg");
  tree.Add("D:\\in\\b.jpg");
  tree.failCopyOf = "D:\\in\\a.jpg";
  EXPECT_EQ(Register({"D:\\in"}), 1);
  EXPECT_EQ(progress.count, "2/2");
  EXPECT_FALSE(tree.files.count("C:\\Wall\\a.jpg"));
}

TEST_F(RegistrationTest, AnErrorStillClosesTheWindowAndEnablesTheMainWindow) {
  tree.Add("D:\\in\\a.jpg");
  tree.Add("D:\\in\\b.jpg");
  tree.throwOnCopyOf = "D:\\in\\b.jpg";
  EXPECT_THROW(Register({"D:\\in"}), std::runtime_error);
  ExpectRestored();
  EXPECT_EQ(tree.log.back(), "done C:\\Wall");

  tree.throwOnCopyOf.clear();  // and the next registration runs
  EXPECT_EQ(Register({"D:\\in\\b.jpg"}), 1);
}

TEST_F(RegistrationTest, ASecondRegistrationCannotStartInsideTheFirst) {
  tree.Add("D:\\in\\a.jpg");
  tree.Add("D:\\in\\b.jpg");
  int inner = -1;
  progress.onPump = [&](int pump) {
    if (pump == 1) inner = engine.RegisterPictures({"D:\\in\\b.jpg"}, kWall, kMask);
  };
  EXPECT_EQ(Register({"D:\\in\\a.jpg"}), 1);
  EXPECT_EQ(inner, 0);
  EXPECT_EQ(progress.opens, 1);
}

TEST_F(RegistrationTest, NoWallpaperFolderShowsNothing) {
  tree.Add("D:\\in\\a.jpg");
  EXPECT_EQ(engine.RegisterPictures({"D:\\in\\a.jpg"}, "", kMask), 0);
  EXPECT_EQ(progress.opens, 0);
}

}  // namespace
}  // namespace tapestrel::app
