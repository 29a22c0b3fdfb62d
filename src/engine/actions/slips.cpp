#include "engine/actions/slips.h"

#include "engine/session/session.h"

namespace Actions {

Levels::ExamLevels examLevels(const Session& session, const Levels::ExamRef& exam)
{
    return Levels::examLevels(exam, session.levelScheme(), session.fullMarks());
}

Slips::Set slips(const Session& session, const Slips::Options& options)
{
    return Slips::build(options, session.levelScheme(), session.fullMarks());
}

} // namespace Actions
