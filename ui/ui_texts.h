/* The texts both front ends show, in one place. Plain macros, because the
   Windows resource compiler reads this file as well as the C++ sources. */
#pragma once

#define TAMSIRO_APPLICATION_NAME "Tamsiro"

/* The stick chooser. */
#define TAMSIRO_CHOOSER_TITLE "Open MEMSTICK.IND file at root of OpenR directory"
#define TAMSIRO_CHOOSER_FILTER_NAME "Memory Stick Files (*.ind)"
#define TAMSIRO_CHOOSER_FILTER_BARS TAMSIRO_CHOOSER_FILTER_NAME "||"
#define TAMSIRO_CHOOSER_FILE "memstick.ind"
#define TAMSIRO_CHOOSER_EXTENSION "ind"

/* The selection dialog. */
#define TAMSIRO_DIALOG_CAPTION "AiboMind 3 Customized Sounds"
#define TAMSIRO_VERSION_TEXT "Test Version .01"
#define TAMSIRO_ABOUT_ENTRY "&About Tamsiro..."
#define TAMSIRO_RESTORE_ENTRY "Restore stock sounds..."
/* Under the groups: the stick, what it holds, and what a greyed set lacks. */
#define TAMSIRO_STICK_LINE "Memory stick: "
#define TAMSIRO_MISSING_FILE "Missing: "
/* The sets of the folder beside the six rows of each group, named by group. */
#define TAMSIRO_OTHER_SETS_CAPTION "Other sets in this folder"
#define TAMSIRO_GROUP_MAIN "Main"
#define TAMSIRO_GROUP_VOICE "Talkative Voice"
#define TAMSIRO_GROUP_GAMES "Games"
/* The first row of each group: leaves the group as the stick has it. */
#define TAMSIRO_KEEP_ROW "Keep what is on the stick"
/* The tooltip of a greyed-out set (%1: the data file it still needs). */
#define TAMSIRO_ROW_MISSING_FILE "Needs %1 in Tamsiro's folder"

/* The About box. Its caption names the robot's mind, not the program:
   "About Dravik" is deliberate. */
#define TAMSIRO_ABOUT_CAPTION "About Dravik"
#define TAMSIRO_ABOUT_VERSION "Tamsiro V.02"
#define TAMSIRO_ABOUT_CREDIT_1 "Custom sound sets for AiboMind 3 sticks"
#define TAMSIRO_ABOUT_CREDIT_2 "Made by the Tamsiro developers"

/* The program's own notes. */
#define TAMSIRO_PROGRAM_FOLDER_UNKNOWN \
    "Tamsiro cannot tell which folder it runs from\n(its path is too long or unreadable)"
#define TAMSIRO_HELP_AT "Help: see %1"
#define TAMSIRO_HELP_MISSING "Help: see README.txt beside the program, or the README at the project's home."
/* The Qt front end's welcome, while an installed program's folder holds
   no sound set (%1: that folder). */
#define TAMSIRO_WELCOME_TEXT                                                                                           \
    "Welcome to Tamsiro.\n\nPut the sound-set files you downloaded (DATA_M3_*.ODA, DATA_V3_*.ODA, DATA_G3A_*.ODA and " \
    "DATA_G3B_*.ODA) in Tamsiro's folder:\n\n%1\n\nThen press OK, insert the memory stick and choose its "             \
    "memstick.ind."
#define TAMSIRO_WELCOME_OPEN_FOLDER "Open folder"
/* The welcome again, after OK while the folder still holds no set (%1:
   that folder); a set found only in part is named after it. */
#define TAMSIRO_WELCOME_STILL_EMPTY                                                                 \
    "No sound sets in %1 yet.\n\nPut the downloaded DATA_*.ODA files there, then press OK. Cancel " \
    "quits."
#define TAMSIRO_WELCOME_PART_OF_SET "Only part of a set is there: %1 is missing."
#define TAMSIRO_WELCOME_NO_FILE_MANAGER "No file manager opened the folder:\n%1"
/* Caption of the progress window; it differs from the application name,
   which only message boxes carry. */
#define TAMSIRO_PROGRESS_CAPTION "Tamsiro - working..."
