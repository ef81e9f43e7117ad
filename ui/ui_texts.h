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

/* The About box. Its caption names the robot's mind, not the program:
   "About Dravik" is deliberate. */
#define TAMSIRO_ABOUT_CAPTION "About Dravik"
#define TAMSIRO_ABOUT_VERSION "Tamsiro V.02"
#define TAMSIRO_ABOUT_CREDIT_1 "Custom sound sets for AiboMind 3 sticks"
#define TAMSIRO_ABOUT_CREDIT_2 "Made by the Tamsiro developers"

/* The program's own notes. */
#define TAMSIRO_PROGRAM_FOLDER_UNKNOWN "Tamsiro cannot tell which folder it runs from\n(its path is too long or unreadable)"
#define TAMSIRO_HELP_MISSING "Help: see README.txt beside the program, or the README at the project's home."
/* Caption of the progress window; it differs from the application name,
   which only message boxes carry. */
#define TAMSIRO_PROGRESS_CAPTION "Tamsiro - working..."
