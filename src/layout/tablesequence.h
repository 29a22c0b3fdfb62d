#pragma once
// Several tables in one document, each from a fresh page: the students, the
// lists drawn from them, the classes. The head of each page names the table
// it shows (and which part, for a table continued sideways). The whole
// document takes landscape pages when one of its tables needs them.

#include "layout/tablepages.h"

#include <memory>
#include <vector>

namespace Layout {

class TableSequence : public Content {
public:
    // A table without rows is left out: there is nothing to print of it.
    void add(const QString& heading, Export::Sheet sheet);
    bool isEmpty() const { return m_parts.empty(); }

    void prepare(const Export::Progress& progress) override;
    bool landscape() const override;
    int layout(QPaintDevice* device, const QSizeF& body, const Export::Progress& progress) override;
    void paint(QPainter& painter, int page, const QRectF& body) override;
    QString pageNote(int page) const override;

private:
    struct Part {
        QString heading;
        std::unique_ptr<TablePages> pages;
        int first = 0; // its first page in the document
        int count = 0;
    };
    const Part* partOf(int page) const;
    std::vector<Part> m_parts;
};

} // namespace Layout
