// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#pragma once

#include <QFrame>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace orvel {

class CountBox;
class KeyedToolbar;
class LogPaneView;
class PortList;
class UnitPicture;

/// The log area of the main window, above the splitter bar: the log toolbar with its buttons
/// and, right of them, the port and stop-after lists; the unit picture with the latest counts
/// below it; the log file box and its Browse button, the delete option and the log pane. It only
/// builds and lays out its controls; the window wires them and the commands drive them.
class LogFrame : public QFrame
{
    Q_OBJECT
public:
    explicit LogFrame(QWidget *parent = nullptr);

    KeyedToolbar *logToolbar() const { return m_logToolbar; }
    QLabel *comPortLabel() const { return m_comPortLabel; }
    PortList *portList() const { return m_portList; }
    QComboBox *stopAfterList() const { return m_stopAfterList; }
    QLineEdit *logFileBox() const { return m_logFileBox; }
    QPushButton *fileOpenButton() const { return m_fileOpenButton; }
    QCheckBox *deleteLogBox() const { return m_deleteLogBox; }
    QLabel *largeCountLabel() const;
    QLabel *smallCountLabel() const;
    LogPaneView *logPane() const { return m_logPane; }
    UnitPicture *unitPicture() const { return m_unitPicture; }
    /// Shows the latest counts under the unit picture.
    void showCounts(const QString &largeText, const QString &smallText);

private:
    void buildLogToolbar();

    KeyedToolbar *m_logToolbar = nullptr;
    QLabel *m_comPortLabel = nullptr;
    PortList *m_portList = nullptr;
    QComboBox *m_stopAfterList = nullptr;
    QLineEdit *m_logFileBox = nullptr;
    QPushButton *m_fileOpenButton = nullptr;
    QCheckBox *m_deleteLogBox = nullptr;
    CountBox *m_largeCountBox = nullptr;
    CountBox *m_smallCountBox = nullptr;
    LogPaneView *m_logPane = nullptr;
    UnitPicture *m_unitPicture = nullptr;
};

} // namespace orvel
