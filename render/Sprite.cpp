// Sprite
