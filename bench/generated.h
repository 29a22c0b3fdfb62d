#pragma once
// The grades every benchmark works on: students of 18 classes with marks in
// 7 subjects as teachers type them.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <algorithm>
#include <cmath>
#include <random>

namespace Bench {

constexpr int kClasses = 18;
inline const QStringList kSubjects{"语文", "数学", "英语", "政治", "物理", "化学", "综合"};

// Marks a teacher would type: halves for most subjects, tenths for two, so
// that many students share a mark or a rounded mark.
inline QByteArray generatedCsv(int students)
{
    std::mt19937 rng(20240901u + quint32(students));
    std::normal_distribution<double> mark(72.0, 16.0);
    std::uniform_int_distribution<int> pick(0, 29);
    static const QString family = QStringLiteral("王李张刘陈杨黄赵吴周徐孙马朱胡郭何高林罗郑梁谢宋唐许韩冯邓曹");
    static const QString given = QStringLiteral("伟芳娜敏静丽强磊军洋勇艳杰娟涛明超秀霞平刚桂英华玉兰萍红梅鹏飞");
    QString out = QStringLiteral("学号,班号,姓名,") + kSubjects.join(',') + '\n';
    out.reserve(students * 64);
    for (int c = 1; c <= kClasses; ++c) {
        const int inClass = students / kClasses + (c <= students % kClasses ? 1 : 0);
        for (int k = 1; k <= inClass; ++k) {
            out += QStringLiteral("%1%2,%3,").arg(c, 2, 10, QChar('0')).arg(k, 4, 10, QChar('0')).arg(c);
            out += family[pick(rng)];
            out += given[pick(rng)];
            if (k % 3)
                out += given[pick(rng)];
            for (int s = 0; s < kSubjects.size(); ++s) {
                const double step = (s == 4 || s == 5) ? 10.0 : 2.0;
                const double m = std::clamp(std::round(mark(rng) * step) / step, 0.0, 100.0);
                out += ',' + QString::number(m);
            }
            out += '\n';
        }
    }
    return out.toUtf8();
}

} // namespace Bench
