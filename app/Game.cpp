#include "app/Game.h"

Game::~Game() = default;

bool Game::setUp(GameWindow&) {
  return true;
}

void Game::update(double) {}

void Game::tearDown() {}

void Game::onKeyDown(uint32_t, bool) {}

void Game::onKeyUp(uint32_t) {}

void Game::onChar(uint32_t) {}

void Game::onMouseMove(int32_t, int32_t) {}

void Game::onMouseDown(MouseButton, int32_t, int32_t) {}

void Game::onMouseUp(MouseButton, int32_t, int32_t) {}

void Game::onTimer(uintptr_t) {}

void Game::onMessage(UINT, WPARAM, LPARAM) {}
