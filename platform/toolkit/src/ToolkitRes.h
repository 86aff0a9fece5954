// Ids of the toolkit's own texts, the same in every language library.
#pragma once
#define IDS_TK_CUSTOMIZE        0xF200
#define IDS_TK_TOOLBARS         0xF201
#define IDS_TK_RESET            0xF202
#define IDS_TK_CLOSE            0xF203
#define IDS_TK_WINDOWS          0xF204
#define IDS_TK_ACTIVATE         0xF205
#define IDS_TK_CLOSE_WINDOWS    0xF206
#define IDS_TK_ADD_REMOVE       0xF207
#define IDS_TK_FULL_SCREEN      0xF208
#define IDS_TK_TOOLBAR_NAME     0xF209
#define IDS_TK_MENU_BAR         0xF20A
#define IDS_TK_TOOLBARS_LABEL   0xF20B
#define IDS_TK_OK               0xF20C
