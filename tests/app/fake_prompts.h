#pragma once

#include <gtest/gtest.h>

#include <deque>
#include <vector>

#include "app/prompts.h"

namespace kq {

// Answers the window's questions from queues and records what was asked.
class FakePrompts : public Prompts {
 public:
  struct Dialog {
    QString filter;
    QString offered;
  };

  struct Choice {
    QString question;
    QStringList items;
    bool typed;
  };

  // An empty name or text cancels the dialog.
  std::deque<QString> saveAnswers;
  std::deque<QString> openAnswers;
  std::deque<QString> textAnswers;
  std::deque<QString> choiceAnswers;
  std::deque<bool> confirmAnswers;

  std::vector<Dialog> saveDialogs;
  std::vector<Dialog> openDialogs;
  std::vector<QString> textQuestions;
  std::vector<Choice> choices;
  std::vector<QString> questions;
  std::vector<QString> errors;

  std::optional<QString> saveFileName(const QString& filter, const QString& offered) override {
    saveDialogs.push_back({filter, offered});
    return chosen(next(saveAnswers, QString()));
  }
  std::optional<QString> openFileName(const QString& filter, const QString& offered) override {
    openDialogs.push_back({filter, offered});
    return chosen(next(openAnswers, QString()));
  }
  std::optional<QString> askText(const QString& question, const QString&) override {
    textQuestions.push_back(question);
    return chosen(next(textAnswers, QString()));
  }
  std::optional<QString> chooseItem(const QString& question, const QStringList& items, bool typed) override {
    choices.push_back({question, items, typed});
    return chosen(next(choiceAnswers, QString()));
  }
  bool confirm(const QString& question) override {
    questions.push_back(question);
    return next(confirmAnswers, false);
  }
  void showError(const QString& message) override { errors.push_back(message); }

 private:
  static std::optional<QString> chosen(const QString& name) {
    if (name.isEmpty()) return std::nullopt;
    return name;
  }
  template <typename T>
  static T next(std::deque<T>& answers, T fallback) {
    if (answers.empty()) {
      ADD_FAILURE() << "the window asked a question the test did not expect";
      return fallback;
    }
    T answer = answers.front();
    answers.pop_front();
    return answer;
  }
};

}  // namespace kq
