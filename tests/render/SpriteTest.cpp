// SpriteTest
