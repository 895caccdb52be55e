// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#include "charting/chartexport.h"

#include "common/notifier.h"

#include <qcustomplot.h>

#include <QApplication>
#include <QClipboard>
#include <QFileDialog>
#include <QFileInfo>
#include <QMenu>

namespace orvel {

namespace {
QString defaultSaveFile(QWidget *parent, const QString &caption, const QString &filter)
{
    return QFileDialog::getSaveFileName(parent, caption, QString(), filter);
}
} // namespace

ChartExport::ChartExport(QCustomPlot *plot, QWidget *dialogParent)
    : QObject(dialogParent)
    , m_plot(plot)
    , m_dialogParent(dialogParent)
    , m_chooseFile(defaultSaveFile)
{}

void ChartExport::copyChart()
{
    if (m_prepare)
        m_prepare();
    QApplication::clipboard()->setPixmap(m_plot->toPixmap());
}

bool ChartExport::saveChart(const QString &fileName)
{
    if (m_prepare)
        m_prepare();
    QString path = fileName;
    QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix.isEmpty()) {
        path += QStringLiteral(".png");
        suffix = QStringLiteral("png");
    }
    bool saved = false;
    QString problem;
    if (suffix == QLatin1String("png"))
        saved = m_plot->savePng(path);
    else if (suffix == QLatin1String("jpg") || suffix == QLatin1String("jpeg"))
        saved = m_plot->saveJpg(path);
    else if (suffix == QLatin1String("pdf"))
        saved = m_plot->savePdf(path);
    else
        problem = QStringLiteral("The chart cannot be saved as \"%1\": choose a PNG, JPEG or "
                                 "PDF file.")
                      .arg(QFileInfo(path).fileName());
    if (!saved && problem.isEmpty())
        problem = QStringLiteral("The chart could not be saved to %1.").arg(path);
    if (!saved && m_notifier)
        m_notifier->showError(problem);
    return saved;
}

bool ChartExport::saveChartAs()
{
    const QString fileName =
        m_chooseFile(m_dialogParent, QStringLiteral("Save chart as"),
                     QStringLiteral("PNG image (*.png);;JPEG image (*.jpg *.jpeg);;PDF "
                                    "document (*.pdf)"));
    if (fileName.isEmpty())
        return false;
    return saveChart(fileName);
}

QMenu *ChartExport::createContextMenu(QWidget *parent)
{
    auto *menu = new QMenu(parent);
    menu->addAction(QStringLiteral("Copy chart"), this, &ChartExport::copyChart);
    menu->addAction(QStringLiteral("Save chart as…"), this, [this] { saveChartAs(); });
    return menu;
}

} // namespace orvel
