#include "command_word.h"

#include <gtest/gtest.h>

namespace {

TEST(RecogniseCommand, FirstWordInTableOrderWinsAnywhereInTheLine) {
  EXPECT_EQ(RecogniseCommand("LC_START"), kCommandStart);
  EXPECT_EQ(RecogniseCommand("XLC_STARTX"), kCommandStart);
  EXPECT_EQ(RecogniseCommand("LC_STARTUP"), kCommandStart);
  // LC_STOP is searched before LC_UPDATE=, so a script named after it stops the product.
  EXPECT_EQ(RecogniseCommand("LC_UPDATE=C:\\SCRIPTS\\LC_STOP.INI"), kCommandStop);
  EXPECT_EQ(RecogniseCommand("LC_UPDATE=C:\\NEW.INI"), kCommandUpdate);
  EXPECT_EQ(RecogniseCommand("LC_EXEC"), kCommandExec);
  EXPECT_EQ(RecogniseCommand("LC_FILEVER"), kCommandFileVersion);
  EXPECT_EQ(RecogniseCommand("LC_DEBUG"), kCommandDebug);
  EXPECT_EQ(RecogniseCommand("LC_RESTORE"), kCommandRestore);
  EXPECT_EQ(RecogniseCommand("LC_ENABLE"), kCommandEnable);
  EXPECT_EQ(RecogniseCommand("LC_DISABLE"), kCommandDisable);
  EXPECT_EQ(RecogniseCommand("LC_VERSION=1.0.15"), kCommandVersion);
  EXPECT_EQ(RecogniseCommand("lc_start"), kCommandNone);  // the entry point upper-cases first
  EXPECT_EQ(RecogniseCommand(""), kCommandNone);
  EXPECT_EQ(RecogniseCommand("LC_UPDATE C:\\X.INI"), kCommandNone);
}

TEST(CommandArgument, IsCutAtAFixedPlaceFromTheStart) {
  EXPECT_STREQ(CommandArgument("LC_UPDATE=C:\\NEW.INI", kCommandUpdate), "C:\\NEW.INI");
  EXPECT_STREQ(CommandArgument("LC_VERSION=1.0.15 /X", kCommandVersion), "1.0.15 /X");
  // Where the word does not stand first, the cut still falls after ten characters.
  EXPECT_STREQ(CommandArgument("  LC_UPDATE=C:\\NEW.INI", kCommandUpdate), "E=C:\\NEW.INI");
}

}  // namespace
