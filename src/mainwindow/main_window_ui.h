#pragma once

#include <QFrame>
#include <QLabel>

#include "colourdialog/colour_select_button.h"
#include "mainwindow/column_separator.h"
#include "mainwindow/swatch.h"
#include "mainwindow/title_button.h"

// The main window's widgets.
struct MainWindowUi {
    // The readouts and their captions.
    QLabel* bitmapCaption = nullptr;
    QLabel* lutCaption = nullptr;
    QLabel* redCaption = nullptr;
    QLabel* greenCaption = nullptr;
    QLabel* blueCaption = nullptr;
    QLabel* bitmapRedLabel = nullptr;
    QLabel* bitmapGreenLabel = nullptr;
    QLabel* bitmapBlueLabel = nullptr;
    QLabel* lutRedLabel = nullptr;
    QLabel* lutGreenLabel = nullptr;
    QLabel* lutBlueLabel = nullptr;
    QLabel* hexColourLabel = nullptr;
    Swatch* swatch = nullptr;
    ColumnSeparator* columnSeparator = nullptr;

    // The title strip and its buttons.
    QFrame* titleStrip = nullptr;
    TitleButton* settingsButton = nullptr;
    TitleButton* helpButton = nullptr;
    TitleButton* fractionButton = nullptr;
    TitleButton* hexButton = nullptr;
    TitleButton* magnifierButton = nullptr;
    TitleButton* pinButton = nullptr;
    TitleButton* exitButton = nullptr;
    ColourSelectButton* colourSelect = nullptr; // never shown: opens the colour dialog
};
